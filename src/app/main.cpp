// torvane: the flashlight. Reads the command line, then starts the application.

#include "app/CommandLine.h"
#include "app/ScriptParser.h"
#include "app/TorvaneAppDelegate.h"
#include "app/UIDevice_machine.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <span>

using namespace torvane;

int main(int argc, char** argv) {
    auto commandLine =
        app::parseCommandLine(std::span<const char* const>(argv + 1, std::size_t(argc > 0 ? argc - 1 : 0)));
    if (!commandLine.ok()) {
        std::fprintf(stderr, "%s\n%s\n", commandLine.error.c_str(), app::usage().c_str());
        return app::badUsageStatus;
    }
    const auto& options = commandLine.options;
    if (options.help) {
        std::printf("%s\n", app::usage().c_str());
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

    if (options.headless)
        platform::setClockMode(platform::ClockMode::Virtual);
    if (options.traceFile && !platform::openTrace(*options.traceFile))
        return app::badUsageStatus;
    if (options.storeFile)
        platform::SettingsStore::setStandardPath(*options.storeFile);
    if (options.machine)
        app::setMachineOverride(*options.machine);
    // The torch finds its LEDs through this variable, so --leds and the environment agree.
    if (options.ledsFolder)
        ::setenv("TORVANE_LEDS", options.ledsFolder->c_str(), 1);
    auto& application = platform::Application::sharedApplication();
    if (options.screen)
        application.setMainScreenSize(*options.screen);

    app::TorvaneAppDelegate delegate;
    delegate.applicationDidFinishLaunching(application);

    // The window and the main loop are not part of this build yet: the start ends here.
    std::fprintf(stderr, "torvane: started; no window yet, so the application ends after its start\n");
    platform::closeTrace();
    return 0;
}
