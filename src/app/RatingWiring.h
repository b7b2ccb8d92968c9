#pragma once

// Connects the rating prompt to the platform: the context's settings store and background work,
// the kernel's routes, the probe request, the main thread's queue, the loop's alerts and the URL
// opener.

#include "platform/Context.h"
#include "platform/view/MainLoop.h"
#include "rating/RatingEnvironment.h"

#include <memory>

namespace torvane::app {

// `context` and `loop` must outlive the prompt's work: the context stops its background work
// before anything in it goes, and the alert is shown only from the main thread's queue, which
// only the loop runs.
[[nodiscard]] std::shared_ptr<rating::RatingEnvironment> ratingEnvironment(platform::Context& context,
                                                                          platform::MainLoop& loop);

} // namespace torvane::app
