// torvane: the flashlight. Reads the command line, opens the window (or the offscreen picture),
// starts the application delegate and runs the main loop.

#include "app/CommandLine.h"
#include "app/RatingWiring.h"
#include "app/ScriptParser.h"
#include "app/TorvaneAppDelegate.h"
#include "platform/core/Application.h"
#include "platform/core/ConsoleLog.h"
#include "platform/core/Trace.h"
#include "platform/core/UIDevice_machine.h"
#include "platform/storage/SettingsStore.h"
#include "platform/view/MainLoop.h"
#include "rating/RatingPrompt.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>

using namespace torvane;

namespace {

bool hasDisplay() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// Without a display the application still shows what it does: the opening sequence, headless,
// ending in a picture of the screen.
platform::Script openingSequenceShot(std::string& shotPath) {
    shotPath = (std::filesystem::temp_directory_path() / "torvane-screen.png").string();
    platform::ScriptCommand wait;
    wait.kind = platform::ScriptCommand::Kind::Wait;
    wait.seconds = 2.5;
    platform::ScriptCommand shot;
    shot.kind = platform::ScriptCommand::Kind::Shot;
    shot.file = shotPath;
    return {wait, shot};
}

} // namespace

int main(int argc, char** argv) {
    auto commandLine =
        app::parseCommandLine(std::span<const char* const>(argv + 1, std::size_t(argc > 0 ? argc - 1 : 0)));
    if (!commandLine.ok()) {
        std::fprintf(stderr, "%s\n%s\n", commandLine.error.c_str(), app::usage().c_str());
        return app::badUsageStatus;
    }
    auto options = commandLine.options;
    if (options.help || options.version) {
        std::printf("%s\n", (options.help ? app::helpText() : app::versionText()).c_str());
        return 0;
    }

    // The whole script is checked before anything runs.
    platform::Script script;
    if (options.scriptFile) {
        auto parsed = app::parseScriptFile(*options.scriptFile);
        if (!parsed.ok()) {
            std::fprintf(stderr, "torvane: %s\n", parsed.error.c_str());
            return app::badUsageStatus;
        }
        script = std::move(parsed.script);
    }

    std::string fallbackShot;
    if (!options.headless && !hasDisplay()) {
        std::fprintf(stderr, "torvane: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "running the opening sequence headless instead\n");
        options.headless = true;
        if (script.empty())
            script = openingSequenceShot(fallbackShot);
    }

    if (options.traceFile && !platform::openTrace(*options.traceFile))
        return app::badUsageStatus;
    if (options.storeFile)
        platform::SettingsStore::setStandardPath(*options.storeFile);
    if (options.machine)
        platform::setMachineOverride(*options.machine);
    // The torch finds its LEDs through this variable, so --leds and the environment agree.
    if (options.ledsFolder)
        ::setenv("TORVANE_LEDS", options.ledsFolder->c_str(), 1);

    auto& application = platform::Application::sharedApplication();
    platform::MainLoopOptions loopOptions;
    loopOptions.headless = options.headless;
    loopOptions.fullscreen = options.fullscreen;
    if (options.screen)
        loopOptions.screen = *options.screen;
    platform::MainLoop loop(loopOptions);
    if (!loop.open())
        return 1;
    application.setMainScreenSize(loop.screenSize());

    app::connectRatingPrompt(loop);
    // A script's `wait` lets the rating check run to its end first, so that a script sees the
    // prompt at the same point every time.
    loop.setWaitBarrier([] { rating::RatingPrompt::waitForChecks(); });

    screen::ScreenEnvironment environment = screen::ScreenEnvironment::current();
    environment.showAlert = [&loop](platform::Alert alert) { loop.alerts().show(std::move(alert)); };
    app::TorvaneAppDelegate delegate(std::move(environment));
    delegate.applicationDidFinishLaunching(application);

    auto& controller = *delegate.viewController;
    loop.setContent(controller.view(),
                    [&controller](platform::Point point) { controller.touchesBegan(point); });

    int status = options.headless ? loop.runScript(script) : loop.run();
    if (!fallbackShot.empty() && status == 0)
        std::printf("torvane: the screen is in %s\n", fallbackShot.c_str());
    platform::closeTrace();
    return status;
}
