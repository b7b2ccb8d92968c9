#include "platform/view/ColumnFit.h"

#include <algorithm>
#include <cmath>

namespace torvane::platform {

ColumnFit fitColumn(Size pixels, Size column) {
    if (!(pixels.width > 0) || !(pixels.height > 0) || !(column.width > 0) || !(column.height > 0))
        return {1, 0, column, column};
    float scale = std::min(pixels.width / column.width, pixels.height / column.height);
    // A whole pixel, so that the column's edges stay sharp.
    float left = std::floor((pixels.width - column.width * scale) / 2);
    return {scale, left, {column.width, pixels.height / scale}, pixels};
}

Point ColumnFit::layoutPoint(Point pixel) const {
    return {(pixel.x - left) / scale, pixel.y / scale};
}

Size ColumnFit::drawableInPoints() const {
    return {pixels.width / scale, pixels.height / scale};
}

bool ColumnFit::contains(Point point) const {
    return point.x >= 0 && point.x <= layout.width && point.y >= 0 && point.y <= layout.height;
}

} // namespace torvane::platform
