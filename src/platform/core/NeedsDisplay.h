#pragma once

// Budget: an idle frame draws nothing. Whatever changes what is on screen (an image, a hidden
// flag, a transform set at once, an alert) raises this flag; the main loop draws a frame only
// when it is raised or something animates. Safe from any thread.

namespace torvane::platform {

void setNeedsDisplay();
[[nodiscard]] bool needsDisplay();
// Reads and lowers the flag.
[[nodiscard]] bool takeNeedsDisplay();

} // namespace torvane::platform
