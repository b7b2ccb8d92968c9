#include "app/TorvaneAppDelegate.h"

#include "platform/core/Application.h"

namespace torvane::app {

void TorvaneAppDelegate::applicationDidFinishLaunching(platform::Application& application) {
    window = std::make_unique<platform::Window>();
    window->frame = application.mainScreenBounds();
    viewController = std::make_unique<screen::TorvaneViewController>(m_environment);
    window->addSubview(viewController->view());
    window->makeKeyAndVisible();
}

} // namespace torvane::app
