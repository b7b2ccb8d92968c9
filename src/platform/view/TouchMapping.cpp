#include "platform/view/TouchMapping.h"

namespace torvane::platform {

Point pixelFromWindow(float x, float y, Size window, Size pixels) {
    if (!(window.width > 0) || !(window.height > 0))
        return {x, y};
    return {x * pixels.width / window.width, y * pixels.height / window.height};
}

Point pixelFromFinger(float x, float y, Size pixels) {
    return {x * pixels.width, y * pixels.height};
}

} // namespace torvane::platform
