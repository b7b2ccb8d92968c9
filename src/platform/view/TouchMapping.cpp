#include "platform/view/TouchMapping.h"

namespace torvane::platform {

Point pointFromWindow(float x, float y, Size window, Size screen) {
    if (!(window.width > 0) || !(window.height > 0))
        return {x, y};
    return {x * screen.width / window.width, y * screen.height / window.height};
}

Point pointFromFinger(float x, float y, Size screen) {
    return {x * screen.width, y * screen.height};
}

float scaleFor(int drawableWidth, float screenWidth) {
    if (drawableWidth <= 0 || !(screenWidth > 0))
        return 1;
    return float(drawableWidth) / screenWidth;
}

} // namespace torvane::platform
