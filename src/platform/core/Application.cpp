#include "platform/core/Application.h"

#include "platform/core/Trace.h"

namespace torvane::platform {

Application& Application::sharedApplication() {
    static Application application;
    return application;
}

void Application::setStatusBarHidden(bool hidden) {
    {
        std::lock_guard lock(m_mutex);
        m_statusBarHidden = hidden;
    }
    trace("statusbar.hidden", {{"value", hidden}});
    notify();
}

void Application::setIdleTimerDisabled(bool disabled) {
    {
        std::lock_guard lock(m_mutex);
        m_idleTimerDisabled = disabled;
    }
    trace("idletimer.disabled", {{"value", disabled}});
    notify();
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

void Application::setStateHook(StateHook hook) {
    {
        std::lock_guard lock(m_mutex);
        m_hook = std::move(hook);
    }
    notify();
}

void Application::notify() {
    StateHook hook;
    {
        std::lock_guard lock(m_mutex);
        hook = m_hook;
    }
    if (hook)
        hook(*this);
}

} // namespace torvane::platform
