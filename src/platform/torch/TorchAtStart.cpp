#include "platform/torch/TorchAtStart.h"

#include "platform/core/DeviceClass.h"
#include "platform/core/UIDevice_machine.h"
#include "platform/core/UniqueFd.h"
#include "platform/torch/TorchGuard.h"

#include <csignal>
#include <fcntl.h>

namespace torvane::platform {

namespace {

// As CaptureDevice does: 0 first, since some controllers take a new brightness only from off.
bool switchOn(LedAccess& access, const TorchLed& led) {
    if (UniqueFd brightness(::open(led.brightnessPath().c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
        brightness)
        return writeBrightness(brightness.get(), 0) && writeBrightness(brightness.get(), led.maxBrightness);
    std::string whyNot;
    auto logind = access.logind(whyNot);
    return logind && logind->setLedBrightness(led.name, 0, whyNot) &&
           logind->setLedBrightness(led.name, led.maxBrightness, whyNot);
}

std::optional<TorchLed> switchOnWhereTheScreenWould(LedAccess& access,
                                                    const std::optional<std::string>& givenModel) {
    auto led = findTorchLed(access.root());
    if (!led || !led->hasFlash)
        return std::nullopt;
    if (!(givenModel ? deviceIsiPhone4(givenModel) : hardwareIsiPhone4(machine(), true)))
        return std::nullopt;
    if (!switchOn(access, *led))
        return std::nullopt;
    return led;
}

} // namespace

bool lightTorchAtStart(LedAccess& access, const std::optional<std::string>& givenModel) {
    auto led = switchOnWhereTheScreenWould(access, givenModel);
    if (led)
        installTorchOffHandlers(*led);
    return led.has_value();
}

bool switchTorchOnAtStart(LedAccess& access, const std::optional<std::string>& givenModel) {
    return switchOnWhereTheScreenWould(access, givenModel).has_value();
}

void keepTorchLitAtStart(const std::string& ledRoot) {
    if (auto led = findTorchLed(ledRoot))
        installTorchOffHandlers(*led);
}

void holdQuits(bool held) {
    sigset_t quits;
    sigemptyset(&quits);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&quits, signal);
    sigprocmask(held ? SIG_BLOCK : SIG_UNBLOCK, &quits, nullptr);
}

} // namespace torvane::platform
