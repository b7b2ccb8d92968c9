// The upgrade alert of a first start and the two store links of the tray.

#include "screen/TorvaneViewController.h"

#include "platform/core/BuildConfiguration.h"

namespace torvane::screen {

void TorvaneViewController::showUpgradeAlert() {
    platform::Alert upgrade{
        .title = "Use Your FlashLight Slider!",
        .message =
            "Upgrade to the PRO version of Torvane and use your slider to dim or make your Flashlight even "
            "brighter!",
        .cancelButtonTitle = "Upgrade",
        .otherButtonTitles = {"Not Now"},
        .onClick = [this](int index) { alertViewClickedButtonAtIndex(index); },
    };
    alert = std::make_unique<platform::Alert>(upgrade);
    m_environment.show(std::move(upgrade));
}

void TorvaneViewController::alertViewClickedButtonAtIndex(long buttonIndex) {
    alert.reset();
    if (buttonIndex != 0)
        return;
    openStorePage(proPageUrl());
}

std::string TorvaneViewController::proPageUrl() {
    return "itms-apps://" + platform::build::storeHost() + "/us/app/torvane-pro/id" +
           platform::build::proAppId() + "?ls=1&mt=8";
}

std::string TorvaneViewController::makerPageUrl() {
    return "itms-apps://" + platform::build::storeHost() + "/us/artist/" + platform::build::makerPath() +
           "/id" + platform::build::makerId() + "?mt=8";
}

// The answer of the opener is not looked at: the desktop hands the page to its store.
void TorvaneViewController::openStorePage(const std::string& url) {
    appStoreUrl = url;
    m_environment.open(url);
}

} // namespace torvane::screen
