#pragma once

// The shared application object (the platform's UIApplication and UIScreen, for what the screen
// asks of them): the status bar and idle timer flags and the main screen's bounds.
//
// The flags are state here; the window code gives them their effect on Linux (fullscreen where
// the screen is a phone's or --fullscreen is given, the screen saver inhibited through SDL). It
// registers a hook that runs at once with the current state and again after every change, so the
// order in which the window and the controller come up does not matter.

#include "platform/geometry/Geometry.h"

#include <functional>
#include <mutex>

namespace torvane::platform {

class Application {
  public:
    using StateHook = std::function<void(const Application&)>;

    // Desktop default, in points; the application sets it from --screen.
    static constexpr Size defaultScreenSize{320, 568};

    [[nodiscard]] static Application& sharedApplication();

    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Traced as `statusbar.hidden` {value} and `idletimer.disabled` {value}.
    void setStatusBarHidden(bool hidden);
    void setIdleTimerDisabled(bool disabled);
    [[nodiscard]] bool isStatusBarHidden() const;
    [[nodiscard]] bool isIdleTimerDisabled() const;

    // The main screen: 320 points wide, `screenHeight` points high, origin at (0, 0).
    void setMainScreenSize(Size size);
    [[nodiscard]] Rect mainScreenBounds() const;

    // Replaces the hook (an empty one removes it). Called on the caller's thread, without the
    // object's lock held, so it may read the flags.
    void setStateHook(StateHook hook);

  private:
    void notify();

    mutable std::mutex m_mutex;
    bool m_statusBarHidden{false};
    bool m_idleTimerDisabled{false};
    Size m_screenSize{defaultScreenSize};
    StateHook m_hook;
};

} // namespace torvane::platform
