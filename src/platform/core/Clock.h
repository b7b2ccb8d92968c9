#pragma once

// The application's clock, in seconds since the application started. In a window it follows the
// monotonic clock; headless, it is virtual and moves only when the script's `wait` moves it, so
// a script sees every animation at the same point on every machine.

namespace torvane::platform {

enum class ClockMode { Real, Virtual };

// Chosen once at start, before anything reads the time.
void setClockMode(ClockMode mode);
[[nodiscard]] ClockMode clockMode();

// Seconds on the application's clock.
[[nodiscard]] double now();

// Virtual clock only: moves the time forward by `seconds` (ignored on the real clock).
void advanceVirtualClock(double seconds);

} // namespace torvane::platform
