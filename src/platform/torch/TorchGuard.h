#pragma once

// The platform ends an application's capture session when the application ends, and its torch goes
// off with it. A torch left burning in a pocket is a fault users report, so ours goes off too:
// - a normal quit (exit, return from main), SIGINT, SIGTERM and SIGHUP switch it off in this
//   process, by a write to a `brightness` opened beforehand (async-signal-safe);
// - a watchdog, the program torvane-torch-watchdog (watchdog/TorchWatchdogMain.cpp) started when
//   the session starts, switches it off when this process dies any other way: SIGKILL, a crash.
//   It runs in a session and process group of its own under a name of its own, so `killall -9
//   torvane` and a SIGKILL to the application's process group leave it running; it waits on a
//   pipe whose write end only this process holds, so it ends as soon as the application does.
//   What it cannot live through: a kill aimed at it or at everything (`pkill torvane`, a pattern
//   that matches its name too; the session's cgroup being stopped; the machine going down).
// The application's logic itself never switches the LED off; only its end does.
//
// Where `brightness` is not writable (logind path), the exit handler and the watchdog ask logind on
// the same session; the signal handlers then leave it to the watchdog.

#include "platform/core/Trace.h"
#include "platform/torch/LedClass.h"

#include <functional>
#include <optional>
#include <sys/types.h>

namespace torvane::platform {

// Both of the guards below; what the capture session does when it starts running. Only the first
// LED guarded in a process counts; later calls do nothing.
void guardTorch(Trace& trace, const TorchLed& led);

// The exit handler and the signal handlers. A signal that was ignored stays ignored; a handler that
// was already installed (SDL's quit event) still runs after the LED is off; otherwise the signal's
// default action ends the process.
void installTorchOffHandlers(const TorchLed& led);

// Lets `installOthers` install its own handlers for the guarded signals as if ours were not there
// (SDL installs its quit handlers only over the default action), then puts ours back in front of
// them, so a signal switches the torch off and then reaches the others. Without our handlers it
// only runs `installOthers`.
void chainTorchHandlersTo(const std::function<void()>& installOthers);

inline constexpr const char* watchdogProgramName = "torvane-torch-watchdog";
// Names the watchdog program, instead of the one beside this program.
inline constexpr const char* watchdogProgramVariable = "TORVANE_TORCH_WATCHDOG";

// Starts the watchdog; false, with a console line, when it cannot.
bool startTorchWatchdog(Trace& trace, const TorchLed& led);

// The watchdog's process id, for tests; std::nullopt before it is started.
[[nodiscard]] std::optional<pid_t> torchWatchdogPid();

} // namespace torvane::platform
