#pragma once

// Everything the running application shares across its parts, in one object that `main` makes
// (and each test makes for itself) and that lives as long as the application:
//
//     platform::Context context(storePath, tracePath);
//     platform::MainLoop loop(context.mainLoopParts(), options);
//     ...                                      // the delegate, the controller, the loop's run
//     // leaving scope: the background work is stopped and joined first, then everything it used
//
// Nothing here is a process-wide singleton: two contexts in one process are independent, and the
// destructor ends every background thread (cancelling what can be cancelled, waiting for the rest
// within its own time-out) before anything those threads use is destroyed. Members are declared
// in the order they are built; each may use those above it.

#include "platform/audio/AudioOutput.h"
#include "platform/core/Application.h"
#include "platform/core/BackgroundWork.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/NeedsDisplay.h"
#include "platform/core/Trace.h"
#include "platform/storage/SettingsStore.h"
#include "platform/torch/LedAccess.h"
#include "platform/view/Animator.h"
#include "platform/view/Image.h"
#include "platform/view/MainLoop.h"

#include <filesystem>
#include <optional>
#include <string>

namespace torvane::platform {

struct Context {
    // `settingsPath` is the settings store's file (SettingsStore::defaultPath() for the user's).
    // The trace, when a path is given, is opened before the store is read, so that it shows what
    // became of a bad settings file; `trace.isOpen()` tells whether it could be.
    explicit Context(const std::filesystem::path& settingsPath,
                     const std::optional<std::string>& tracePath = std::nullopt);
    ~Context() { work.stopAll(); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    [[nodiscard]] MainLoopParts mainLoopParts() {
        return {clock, trace, needsDisplay, mainQueue, animator, images};
    }

    Clock clock;
    Trace trace{clock};
    // Whether the trace asked for could be opened; opened here, before the store below is read.
    bool traceOpened{false};
    NeedsDisplay needsDisplay;
    MainQueue mainQueue;
    Application application{trace};
    Animator animator{clock, trace, needsDisplay};
    ImageCache images{trace};
    AudioOutputs audio{trace, mainQueue};
    LedAccess leds{trace};
    SettingsStore settings;
    // Declared last, so that it is stopped (by the destructor) before anything above is destroyed.
    BackgroundWork work;
};

} // namespace torvane::platform
