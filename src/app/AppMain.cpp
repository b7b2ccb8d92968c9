// The flashlight's main, in libtorvane.so, which the launcher (Launcher.cpp) opens once the torch
// is lit: reads the command line, makes the platform's context, opens the window (or the
// offscreen picture), starts the application delegate and runs the main loop.

#include "app/CommandLine.h"
#include "app/InstallReport.h"
#include "app/RatingWiring.h"
#include "app/ScreenPictureFile.h"
#include "app/ScriptParser.h"
#include "app/TorvaneAppDelegate.h"
#include "platform/Context.h"
#include "platform/core/UIDevice_machine.h"
#include "platform/storage/ResourceBundle.h"
#include "platform/torch/TorchAtStart.h"
#include "platform/torch/TorchGuard.h"
#include "platform/view/MainLoop.h"
#include "rating/RatingLaunches.h"
#include "screen/SoundEffects.h"

#include <malloc.h>

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
// ending in a picture of the screen in `shotPath`.
platform::Script openingSequenceShot(const std::string& shotPath) {
    platform::ScriptCommand wait;
    wait.kind = platform::ScriptCommand::Kind::Wait;
    wait.seconds = 2.5;
    platform::ScriptCommand shot;
    shot.kind = platform::ScriptCommand::Kind::Shot;
    shot.file = shotPath;
    return {wait, shot};
}

} // namespace

// `torchLitAtStart`: the launcher lit the LED and has held SIGINT, SIGTERM and SIGHUP back since.
extern "C" __attribute__((visibility("default"))) int torvane_main(int argc, char** argv,
                                                                   bool torchLitAtStart) {
    // A light the launcher lit is switched off by every way out from here on, a refused command
    // line or script included.
    if (torchLitAtStart)
        platform::keepTorchLitAtStart(platform::ledRoot());
    // The quits the launcher holds back stay held until SDL turns them into a quit of the loop
    // (below): one that comes while the application starts ends it as a quit does, status 0.
    platform::holdQuits(true);
    // SDL's software renderer scales a translucent picture through a scratch picture of the
    // target's size, made and freed at each draw: a megabyte or more each frame of the opening
    // zoom. Kept in the heap rather than mapped and unmapped each time, its memory is taken again
    // instead of being faulted in anew (three times the opening's CPU, when it was a screenful).
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);

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
        if (script.empty()) {
            std::string whyNot;
            auto file = app::makeScreenPictureFile(whyNot);
            if (!file) {
                std::fprintf(stderr, "torvane: no file for the picture of the screen: %s\n", whyNot.c_str());
                return 1;
            }
            fallbackShot = file->string();
            script = openingSequenceShot(fallbackShot);
        }
    }

    // The torch finds its LEDs through this variable, so --leds and the environment agree.
    if (options.ledsFolder)
        ::setenv("TORVANE_LEDS", options.ledsFolder->c_str(), 1);

    platform::Context context(options.storeFile ? std::filesystem::path(*options.storeFile)
                                                : platform::SettingsStore::defaultPath(),
                              options.traceFile);
    if (options.traceFile && !context.traceOpened)
        return app::badUsageStatus;
    // Before the window, the sounds and the pictures are loaded: the light is what the user waits for.
    if (!torchLitAtStart)
        platform::lightTorchAtStart(context.leds, options.machine);

    platform::MainLoopOptions loopOptions;
    loopOptions.headless = options.headless;
    loopOptions.fullscreen = options.fullscreen;
    if (options.screen)
        loopOptions.screen = *options.screen;
    platform::MainLoop loop(context.mainLoopParts(), loopOptions);
    // SDL's quit on SIGINT and SIGTERM goes behind the torch's handlers, which were installed first.
    platform::chainTorchHandlersTo([&loop] { loop.listenForQuit(); });
    platform::holdQuits(false);
    if (!loop.open())
        return 1;
    // The sound effects are decoded on a thread of their own while the screen is made. Not
    // sooner: a window's connection to the display needs the other core more.
    std::vector<std::string> effects;
    for (auto name : screen::soundEffects)
        if (auto path = platform::findResource(name, screen::soundEffectType))
            effects.push_back(*path);
    context.audio.decodeAhead(std::move(effects));
    context.application.setMainScreenSize(loop.screenSize());

    rating::RatingLaunches ratingPrompt(app::ratingEnvironment(context, loop), context.work);
    // A script's `wait` lets the rating check run to its end first, so that a script sees the
    // prompt at the same point every time.
    loop.setWaitBarrier([&ratingPrompt] { ratingPrompt.waitForChecks(); });

    screen::ScreenEnvironment environment(context);
    environment.machine = options.machine ? options.machine : platform::machine();
    environment.modelFromHardware = !options.machine;
    environment.screenHeight = context.application.mainScreenBounds().height;
    environment.showAlert = [&loop](platform::Alert alert) { loop.alerts().show(std::move(alert)); };
    environment.recordInstallIfNeeded = [&context] { app::recordInstallIfNeeded(context); };
    environment.ratingPrompt = &ratingPrompt;
    app::TorvaneAppDelegate delegate(std::move(environment));
    delegate.applicationDidFinishLaunching(context.application);

    auto& controller = *delegate.viewController;
    loop.setContent(controller.view(),
                    [&controller](platform::Point point) { controller.touchesBegan(point); });
    // A rotation or a resize gives the screen a new height: the controller lays itself out again.
    loop.setLayoutChanged([&context, &controller](platform::Size layout) {
        context.application.setMainScreenSize(layout);
        controller.layoutHeightChanged(layout.height);
    });

    int status = options.headless ? loop.runScript(script) : loop.run();
    if (!fallbackShot.empty()) {
        // A quit before the picture (SIGTERM) leaves the file empty.
        std::error_code error;
        if (status == 0 && std::filesystem::file_size(fallbackShot, error) > 0 && !error)
            std::printf("torvane: the screen is in %s\n", fallbackShot.c_str());
        else
            std::filesystem::remove(fallbackShot, error);
    }
    // Background work ends before the delegate, the loop and the rating prompt it may still use.
    context.work.stopAll();
    if (!context.trace.close()) {
        std::fprintf(stderr, "torvane: the trace %s is incomplete: it could not be written\n",
                     options.traceFile ? options.traceFile->c_str() : "");
        if (status == 0)
            status = 1;
    }
    return status;
}
