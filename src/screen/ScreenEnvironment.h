#pragma once

// What the screen's controller asks of the platform while it starts, gathered in one place so
// that tests can start it against any store, model string and screen. The application passes
// `ScreenEnvironment::current()`.

#include "platform/alert/Alert.h"

#include <functional>
#include <optional>
#include <string>

namespace torvane::platform {
class Application;
class SettingsStore;
} // namespace torvane::platform

namespace torvane::screen {

struct ScreenEnvironment {
    // Not owned. Null means the shared instance.
    platform::SettingsStore* settings{nullptr};
    platform::Application* application{nullptr};
    // The device model string (`machine`); none when it cannot be read.
    std::optional<std::string> machine;
    // Height of the main screen's bounds in points; none when there is no main screen.
    std::optional<float> screenHeight;
    // The platform offers capture sessions (the LED torch's stand-in is always built in).
    bool canCaptureAVSessions{true};
    // Puts an alert over the screen and returns at once; the application gives its main loop's.
    // Empty: the alert is not shown (a start without a screen, as in most tests).
    std::function<void(platform::Alert)> showAlert;
    // Hands a URL to the desktop's opener. Empty means the platform's opener.
    std::function<void(const std::string&)> openURL;

    // The shared store and application, the device's model and the main screen's height.
    [[nodiscard]] static ScreenEnvironment current();

    [[nodiscard]] platform::SettingsStore& settingsStore() const;
    [[nodiscard]] platform::Application& sharedApplication() const;
    void show(platform::Alert alert) const;
    void open(const std::string& url) const;
};

} // namespace torvane::screen
