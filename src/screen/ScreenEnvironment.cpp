#include "screen/ScreenEnvironment.h"

#include "platform/core/Application.h"
#include "platform/core/UIDevice_machine.h"
#include "platform/net/OpenURL.h"
#include "platform/storage/SettingsStore.h"

namespace torvane::screen {

ScreenEnvironment ScreenEnvironment::current() {
    ScreenEnvironment environment;
    environment.machine = platform::machine();
    environment.screenHeight = platform::Application::sharedApplication().mainScreenBounds().height;
    return environment;
}

platform::SettingsStore& ScreenEnvironment::settingsStore() const {
    return settings ? *settings : platform::SettingsStore::standard();
}

platform::Application& ScreenEnvironment::sharedApplication() const {
    return application ? *application : platform::Application::sharedApplication();
}

void ScreenEnvironment::show(platform::Alert alert) const {
    if (showAlert)
        showAlert(std::move(alert));
}

void ScreenEnvironment::open(const std::string& url) const {
    if (openURL)
        openURL(url);
    else
        platform::openURL(url);
}

} // namespace torvane::screen
