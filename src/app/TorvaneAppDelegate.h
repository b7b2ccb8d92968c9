#pragma once

// The application delegate: when launching has finished it builds the only window and the only
// screen controller, and owns both for the life of the process.

#include "platform/view/Window.h"
#include "screen/ScreenEnvironment.h"
#include "screen/TorvaneViewController.h"

#include <memory>

namespace torvane::platform {
class Application;
}

namespace torvane::app {

class TorvaneAppDelegate {
  public:
    // The controller is created with `environment` (tests pass their own store and device).
    explicit TorvaneAppDelegate(screen::ScreenEnvironment environment) : m_environment(std::move(environment)) {}

    // Window from the main screen's bounds, then the controller (its init runs to the end), then
    // its view into the window, which is what builds the view tree.
    void applicationDidFinishLaunching(platform::Application& application);

    // Declared in this order so that teardown releases the controller first, then the window.
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<screen::TorvaneViewController> viewController;

  private:
    screen::ScreenEnvironment m_environment;
};

} // namespace torvane::app
