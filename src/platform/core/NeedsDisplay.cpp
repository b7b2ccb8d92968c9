#include "platform/core/NeedsDisplay.h"

#include <atomic>

namespace torvane::platform {

namespace {
std::atomic<bool> needsDisplayFlag{true};
}

void setNeedsDisplay() {
    needsDisplayFlag = true;
}

bool needsDisplay() {
    return needsDisplayFlag;
}

bool takeNeedsDisplay() {
    return needsDisplayFlag.exchange(false);
}

} // namespace torvane::platform
