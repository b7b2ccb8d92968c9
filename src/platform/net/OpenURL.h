#pragma once

// Opening a URL (the role of -[UIApplication openURL:]). The URL goes, as its one argument and
// never through a shell, to the program that $TORVANE_URL_OPENER names, unchanged; or else to the
// desktop's opener, `xdg-open`. The store's schemes (itms-apps) have no handler on most desktops,
// so there the desktop is asked first (`xdg-mime query default x-scheme-handler/SCHEME`) and a
// URL whose scheme nobody handles is opened in its https form, which a browser shows. Nobody
// waits: the query and the opener run on a thread of the background work, which also reaps them
// and lets an opener that runs on go when the application ends.

#include "platform/core/BackgroundWork.h"
#include "platform/core/Trace.h"

#include <string>

namespace torvane::platform {

inline constexpr const char* urlOpenerVariable = "TORVANE_URL_OPENER";

// The desktop's programs: `query` answers which application handles a scheme, as xdg-mime does
// (empty output: none); `opener` opens a URL.
struct DesktopOpeners {
    std::string query{"xdg-mime"};
    std::string opener{"xdg-open"};
};

// The URL's scheme in lower case, empty when it has none.
[[nodiscard]] std::string schemeOf(const std::string& url);
// The same host, path and query under https; a URL without "scheme://" as it is.
[[nodiscard]] std::string httpsForm(const std::string& url);

// Traces `url.open` {url}. False, with a console line, when the opener named by the environment
// cannot be started or no thread can be had; a desktop opener that cannot be started is logged
// from its thread.
bool openURL(Trace& trace, BackgroundWork& work, const std::string& url, const DesktopOpeners& desktop = {});

} // namespace torvane::platform
