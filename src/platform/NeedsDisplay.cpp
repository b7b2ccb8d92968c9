#include "platform/NeedsDisplay.h"

#include <atomic>

namespace torvane::platform {

namespace {
std::atomic<bool> needsDisplay{true};
}

void setNeedsDisplay() {
    needsDisplay = true;
}

bool takeNeedsDisplay() {
    return needsDisplay.exchange(false);
}

} // namespace torvane::platform
