#include "screen/ScreenEnvironment.h"

#include "app/UIDevice_machine.h"
#include "platform/Application.h"
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

} // namespace torvane::screen
