#include "screen/ScreenEnvironment.h"

#include "app/UIDevice_machine.h"
#include "platform/Application.h"
#include "platform/OpenURL.h"
#include "platform/SettingsStore.h"

namespace torvane::screen {

ScreenEnvironment ScreenEnvironment::current() {
    ScreenEnvironment environment;
    environment.machine = app::machine();
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
