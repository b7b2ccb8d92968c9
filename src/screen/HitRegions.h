#pragma once

// The tray has no button views: its buttons are areas of its picture. These are the two fixed
// tables that turn a touch into at most one action, laid out for a 480-point-high screen.
// Bounds are strict (a touch exactly on an edge selects nothing) and a NaN selects nothing.

#include "platform/geometry/Geometry.h"
#include "screen/LensTable.h"

#include <optional>
#include <span>
#include <string_view>

namespace torvane::screen {

enum class TouchAction { MoveTray, OpenProPage, OpenMakerPage, ToggleSound, PickLens };

struct HitRegion {
    float minY, maxY, minX, maxX; // exclusive bounds in layout points
    TouchAction action;
    Lens lens{}; // PickLens only

    [[nodiscard]] bool contains(platform::Point layoutPoint) const {
        return layoutPoint.y > minY && layoutPoint.y < maxY && layoutPoint.x > minX && layoutPoint.x < maxX;
    }
};

// Tested in order; the first region that contains the point decides.
[[nodiscard]] std::span<const HitRegion> trayUpRegions();
[[nodiscard]] std::span<const HitRegion> trayDownRegions();

// The touch's y moved up by the extra height of a screen taller than 480 points (32-bit float).
[[nodiscard]] platform::Point layoutPoint(platform::Point touch, float screenHeight);

[[nodiscard]] const HitRegion* regionAt(platform::Point layoutPoint, bool trayUp);

} // namespace torvane::screen
