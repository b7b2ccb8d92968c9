#include "platform/core/Clock.h"

#include <atomic>
#include <chrono>

namespace torvane::platform {

namespace {

using Steady = std::chrono::steady_clock;

const Steady::time_point processStart = Steady::now();
std::atomic<ClockMode> mode{ClockMode::Real};
// Virtual time in microseconds, so that steps of 1/60 s add up without drift in a double.
std::atomic<long long> virtualMicroseconds{0};

} // namespace

void setClockMode(ClockMode newMode) {
    mode = newMode;
}

ClockMode clockMode() {
    return mode;
}

double now() {
    if (mode == ClockMode::Virtual)
        return double(virtualMicroseconds.load()) / 1e6;
    return std::chrono::duration<double>(Steady::now() - processStart).count();
}

void advanceVirtualClock(double seconds) {
    if (mode == ClockMode::Virtual && seconds > 0)
        virtualMicroseconds += (long long)(seconds * 1e6 + 0.5);
}

} // namespace torvane::platform
