#include "platform/core/Application.h"


namespace torvane::platform {

void Application::setStatusBarHidden(bool hidden) {
    {
        std::lock_guard lock(m_mutex);
        m_statusBarHidden = hidden;
    }
    m_trace.record("statusbar.hidden", {{"value", hidden}});
}

void Application::setIdleTimerDisabled(bool disabled) {
    {
        std::lock_guard lock(m_mutex);
        m_idleTimerDisabled = disabled;
    }
    m_trace.record("idletimer.disabled", {{"value", disabled}});
}

bool Application::isStatusBarHidden() const {
    std::lock_guard lock(m_mutex);
    return m_statusBarHidden;
}

bool Application::isIdleTimerDisabled() const {
    std::lock_guard lock(m_mutex);
    return m_idleTimerDisabled;
}

void Application::setMainScreenSize(Size size) {
    std::lock_guard lock(m_mutex);
    m_screenSize = size;
}

Rect Application::mainScreenBounds() const {
    std::lock_guard lock(m_mutex);
    return {0, 0, m_screenSize.width, m_screenSize.height};
}

} // namespace torvane::platform
