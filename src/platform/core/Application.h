#pragma once

// The application object (the platform's UIApplication and UIScreen, for what the screen asks
// of them): the status bar and idle timer flags and the main screen's bounds.
//
// On Linux the window gives the flags their effect: it is fullscreen where the screen is a
// phone's or --fullscreen is given (no status bar), and SDL keeps the screen saver off while a
// window is shown (the idle timer). Here they are state that the trace shows. Safe from any
// thread.

#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"

#include <mutex>

namespace torvane::platform {

class Application {
  public:
    // Desktop default, in points; the application sets it from --screen.
    static constexpr Size defaultScreenSize{320, 568};

    explicit Application(Trace& trace) : m_trace(trace) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Traced as `statusbar.hidden` {value} and `idletimer.disabled` {value}.
    void setStatusBarHidden(bool hidden);
    void setIdleTimerDisabled(bool disabled);
    [[nodiscard]] bool isStatusBarHidden() const;
    [[nodiscard]] bool isIdleTimerDisabled() const;

    // The main screen: `size.width` points wide, `size.height` points high, origin at (0, 0).
    void setMainScreenSize(Size size);
    [[nodiscard]] Rect mainScreenBounds() const;

  private:
    Trace& m_trace;
    mutable std::mutex m_mutex;
    bool m_statusBarHidden{false};
    bool m_idleTimerDisabled{false};
    Size m_screenSize{defaultScreenSize};
};

} // namespace torvane::platform
