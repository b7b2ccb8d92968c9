#pragma once

// Where the screen's layout sits in a drawable of any shape. The layout is a column of fixed
// width that needs at least a minimum height; it is scaled as large as both allow, centred
// horizontally and started at the top, and it takes all of the drawable's height: a tall phone
// gets a taller layout, a landscape window a narrower column with room at its sides.

#include "platform/geometry/Geometry.h"

namespace torvane::platform {

struct ColumnFit {
    float scale{1}; // pixels per layout point
    float left{0};  // pixels from the drawable's left edge to the column's
    Size layout;    // the column in layout points
    Size pixels;    // the whole drawable

    // A drawable pixel position in layout points; outside the column for a point beside it.
    [[nodiscard]] Point layoutPoint(Point pixel) const;
    // The whole drawable in layout points (the column's width and more).
    [[nodiscard]] Size drawableInPoints() const;
    // Inside the column, edges included; a NaN is outside.
    [[nodiscard]] bool contains(Point layoutPoint) const;
};

// `column` is the layout's width and its least height in points. A drawable without pixels
// (a window not shown yet) gets the column at one pixel per point.
[[nodiscard]] ColumnFit fitColumn(Size pixels, Size column);

} // namespace torvane::platform
