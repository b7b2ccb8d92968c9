#pragma once

// Connects the rating prompt to the platform: the shared settings store, the kernel's routes,
// the probe request, the main loop's queue and alerts, and the URL opener.

namespace torvane::platform {
class MainLoop;
}

namespace torvane::app {

// Installs the environment that RatingPrompt::appLaunched uses. `loop` must outlive the prompt's
// work on the main thread.
void connectRatingPrompt(platform::MainLoop& loop);

} // namespace torvane::app
