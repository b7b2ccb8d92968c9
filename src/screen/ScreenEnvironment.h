#pragma once

// What the screen's controller asks of the platform while it starts, gathered in one place so
// that tests can start it against any store, model string and screen. The application passes
// `ScreenEnvironment::current()`.

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

    // The shared store and application, the device's model and the main screen's height.
    [[nodiscard]] static ScreenEnvironment current();

    [[nodiscard]] platform::SettingsStore& settingsStore() const;
    [[nodiscard]] platform::Application& sharedApplication() const;
};

} // namespace torvane::screen
