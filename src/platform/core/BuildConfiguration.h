#pragma once

// Values that come with the build: the store's host and identifiers, the hosts the application
// talks to and its version. Each is a CMake cache variable of the same name with a harmless
// default; an environment variable of that name, when set and not empty, overrides it at run time
// so that tests and packagers can point the application elsewhere without rebuilding.
//
// A host is a name or an address and may carry a port: "127.0.0.1:8080".

#include <string>

namespace torvane::platform::build {

[[nodiscard]] std::string storeHost();   // TORVANE_STORE_HOST: the application store's host
[[nodiscard]] std::string appId();       // TORVANE_APP_ID: this application's numeric store id
[[nodiscard]] std::string proAppId();    // TORVANE_PRO_APP_ID: the PRO edition's numeric store id
[[nodiscard]] std::string makerPath();   // TORVANE_MAKER_PATH: the maker's path segment on the store
[[nodiscard]] std::string makerId();     // TORVANE_MAKER_ID: the maker's numeric store id
[[nodiscard]] std::string installHost(); // TORVANE_INSTALL_HOST: the install-tracking endpoint
[[nodiscard]] std::string probeHost();   // TORVANE_PROBE_HOST: the reachability probe's web site
[[nodiscard]] std::string appVersion();  // TORVANE_VERSION: the application version

} // namespace torvane::platform::build
