#pragma once

// A flashlight is judged in the second after its icon is touched, and its LED needs no window: so
// the start lights the torch before anything slow (SDL, the mixer, the network library, pictures)
// is loaded. The screen's first toggle then finds the LED lit and goes through its steps as
// before, so the trace's `led` and `capture.session` lines stay where they were; only the light
// comes earlier than its `led` line.
//
// It lights only where the screen's first toggle would: the device counts as having an LED torch
// (DeviceClass.h: by the given model's string, or by the hardware and its torch LED), and the LED
// is torch and flash. Failures say nothing here: the screen's toggle tries again and says why.
// Once lit, the LED goes off at exit and on the usual signals (TorchGuard.h); the watchdog is
// started, as before, when the capture session starts.

#include "platform/torch/LedAccess.h"

#include <optional>
#include <string>

namespace torvane::platform {

// `givenModel`: the model named on the command line, std::nullopt for the machine's own.
// True when the LED was lit; the handlers that switch it off are installed with it.
bool lightTorchAtStart(LedAccess& access, const std::optional<std::string>& givenModel);

// The launcher's part (app/Launcher.cpp): the LED lit, nothing installed, since the process is
// about to load the application, whose own handlers must be the ones in place.
bool switchTorchOnAtStart(LedAccess& access, const std::optional<std::string>& givenModel);

// The application's part after the launcher lit the LED under `ledRoot`: its switching off, as
// lighting it here would have installed it.
void keepTorchLitAtStart(const std::string& ledRoot);

// The quits (SIGINT, SIGTERM, SIGHUP) held back from the launcher's start until the application
// can make them a quit of its loop: blocked (`true`) or let through.
void holdQuits(bool held);

} // namespace torvane::platform
