#include "platform/core/Clock.h"

namespace torvane::platform {

double Clock::now() const {
    if (m_mode == ClockMode::Virtual)
        return double(m_virtualMicroseconds.load()) / 1e6;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void Clock::advance(double seconds) {
    if (m_mode == ClockMode::Virtual && seconds > 0)
        m_virtualMicroseconds += (long long)(seconds * 1e6 + 0.5);
}

} // namespace torvane::platform
