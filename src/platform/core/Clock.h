#pragma once

// The application's clock, in seconds since it was made. In a window it follows the monotonic
// clock; headless, it is virtual and moves only when the script's `wait` moves it, so a script
// sees every animation at the same point on every machine. Safe from any thread.

#include <atomic>
#include <chrono>

namespace torvane::platform {

enum class ClockMode { Real, Virtual };

class Clock {
  public:
    explicit Clock(ClockMode mode = ClockMode::Real) : m_mode(mode) {}

    // Chosen before anything reads the time (the headless loop picks the virtual clock).
    void setMode(ClockMode mode) { m_mode = mode; }
    [[nodiscard]] ClockMode mode() const { return m_mode; }

    [[nodiscard]] double now() const;

    // Virtual clock only: moves the time forward by `seconds` (ignored on the real clock).
    void advance(double seconds);

  private:
    std::chrono::steady_clock::time_point m_start{std::chrono::steady_clock::now()};
    std::atomic<ClockMode> m_mode;
    // Virtual time in microseconds, so that steps of 1/60 s add up without drift in a double.
    std::atomic<long long> m_virtualMicroseconds{0};
};

} // namespace torvane::platform
