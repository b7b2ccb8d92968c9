#pragma once

// What the screen's controller is given by the application: the platform's context and what the
// application shell decides (the device model, the screen, where alerts go, the install report,
// the rating prompt). Tests start the controller against contexts and hooks of their own.

#include "platform/Context.h"
#include "platform/alert/Alert.h"
#include "rating/RatingLaunches.h"

#include <functional>
#include <optional>
#include <string>

namespace torvane::screen {

struct ScreenEnvironment {
    explicit ScreenEnvironment(platform::Context& context) : context(context) {}

    // Not owned; outlives the controller.
    platform::Context& context;
    // The device model string (`machine`); none when it cannot be read.
    std::optional<std::string> machine;
    // The model is the hardware's own rather than one given with --machine: then a device counts
    // as having an LED only when a torch LED is found, so a desktop is offered no upgrade.
    bool modelFromHardware{false};
    // Height of the main screen's bounds in points; none when there is no main screen.
    std::optional<float> screenHeight;
    // The platform offers capture sessions (the LED torch's stand-in is always built in).
    bool canCaptureAVSessions{true};
    // Puts an alert over the screen and returns at once; the application gives its main loop's.
    // Empty: the alert is not shown (a start without a screen, as in most tests).
    std::function<void(platform::Alert)> showAlert;
    // Hands a URL to the desktop's opener. Empty means the platform's opener.
    std::function<void(const std::string&)> openURL;
    // The first-launch install report, the first step of the controller's start. Empty: none.
    std::function<void()> recordInstallIfNeeded;
    // Counts a launch for the rating prompt when the opening sequence ends. Not owned; null: no
    // launch is counted.
    rating::RatingLaunches* ratingPrompt{nullptr};

    void show(platform::Alert alert) const;
    void open(const std::string& url) const;
};

} // namespace torvane::screen
