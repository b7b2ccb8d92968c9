#include "platform/core/BuildConfiguration.h"

#include <cstdlib>

// The defaults arrive as compile definitions from the CMake cache (src/platform/CMakeLists.txt).
#ifndef TORVANE_DEFAULT_STORE_HOST
#error "BuildConfiguration.cpp needs the TORVANE_DEFAULT_* definitions of its CMakeLists.txt"
#endif

namespace torvane::platform::build {

namespace {

std::string valueOf(const char* name, const char* builtIn) {
    const char* overridden = std::getenv(name);
    if (overridden && *overridden)
        return overridden;
    return builtIn;
}

} // namespace

std::string storeHost() {
    return valueOf("TORVANE_STORE_HOST", TORVANE_DEFAULT_STORE_HOST);
}

std::string appId() {
    return valueOf("TORVANE_APP_ID", TORVANE_DEFAULT_APP_ID);
}

std::string proAppId() {
    return valueOf("TORVANE_PRO_APP_ID", TORVANE_DEFAULT_PRO_APP_ID);
}

std::string makerPath() {
    return valueOf("TORVANE_MAKER_PATH", TORVANE_DEFAULT_MAKER_PATH);
}

std::string makerId() {
    return valueOf("TORVANE_MAKER_ID", TORVANE_DEFAULT_MAKER_ID);
}

std::string installHost() {
    return valueOf("TORVANE_INSTALL_HOST", TORVANE_DEFAULT_INSTALL_HOST);
}

std::string probeHost() {
    return valueOf("TORVANE_PROBE_HOST", TORVANE_DEFAULT_PROBE_HOST);
}

std::string appVersion() {
    return valueOf("TORVANE_VERSION", TORVANE_DEFAULT_VERSION);
}

} // namespace torvane::platform::build
