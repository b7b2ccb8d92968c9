#pragma once

// The first-launch install report, the first step of the screen controller's start, which the
// application hands the controller through its environment. It is sent at most once per settings
// store: the marker is set as soon as the request has been started, whatever becomes of the
// request, so a dead network never makes the report repeat.

#include "platform/Context.h"

namespace torvane::app {

void recordInstallIfNeeded(platform::Context& context);

} // namespace torvane::app
