// The first-launch install report, a step of the screen controller's `init`. The request, the
// marker "recorded_install" and its log line come with the report's own work; until then a start
// reports nothing and writes no marker.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

void TorvaneViewController::recordInstallIfNeeded() {}

} // namespace torvane::screen
