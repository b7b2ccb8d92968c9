#pragma once

// The platform ends an application's capture session when the application ends, and its torch goes
// off with it. A torch left burning in a pocket is a fault users report, so ours goes off too:
// - a normal quit (exit, return from main), SIGINT, SIGTERM and SIGHUP switch it off in this
//   process, by a write to a `brightness` opened beforehand (async-signal-safe);
// - a watchdog process, forked when the session starts and blocked on a pipe whose other end only
//   this process holds, switches it off when this process dies any other way: SIGKILL, a crash.
// The application's logic itself never switches the LED off; only its end does.
//
// Where `brightness` is not writable (logind path), the exit handler asks logind, and the watchdog
// runs `busctl` on the same session; the signal handlers then leave it to the watchdog.

#include "platform/torch/LedClass.h"

#include <optional>
#include <sys/types.h>

namespace torvane::platform {

// Both of the guards below; what the capture session does when it starts running. Only the first
// LED guarded in a process counts; later calls do nothing.
void guardTorch(const TorchLed& led);

// The exit handler and the signal handlers. A signal that was ignored stays ignored; a handler that
// was already installed (SDL's quit event) still runs after the LED is off; otherwise the signal's
// default action ends the process.
void installTorchOffHandlers(const TorchLed& led);

// Forks the watchdog; false, with a console line, when it cannot.
bool startTorchWatchdog(const TorchLed& led);

// The watchdog's process id, for tests; std::nullopt before it is started.
[[nodiscard]] std::optional<pid_t> torchWatchdogPid();

} // namespace torvane::platform
