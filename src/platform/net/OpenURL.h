#pragma once

// Opening a URL (the role of -[UIApplication openURL:]): the URL goes to the desktop's opener,
// `xdg-open`, or to the program that $TORVANE_URL_OPENER names, as its one argument and never
// through a shell. Nobody waits for the opener and its result is not looked at; a thread of its own
// reaps it, so no zombies pile up.

#include <string>

namespace torvane::platform {

inline constexpr const char* defaultUrlOpener = "xdg-open";
inline constexpr const char* urlOpenerVariable = "TORVANE_URL_OPENER";

// Traces `url.open` {url}. False, with a console line, when the opener cannot be started.
bool openURL(const std::string& url);

} // namespace torvane::platform
