#include "screen/HitRegions.h"

#include <array>
#include <limits>

namespace torvane::screen {

namespace {

constexpr float unbounded = std::numeric_limits<float>::infinity();

// The control strip runs from 3 points above the raised tray's top edge (layout y 291) to 37
// below it; the lens rows lie 74-111 and 115-187 points below it.
constexpr std::array trayUp{
    HitRegion{288, 328, 283, unbounded, TouchAction::MoveTray},
    HitRegion{288, 328, 184, 282, TouchAction::OpenProPage},
    HitRegion{288, 328, 51, 177, TouchAction::OpenMakerPage},
    HitRegion{288, 328, 5, 45, TouchAction::ToggleSound},
    HitRegion{365, 402, 2, 64, TouchAction::PickLens, *lensNamed("green")},
    HitRegion{365, 402, 64, 127, TouchAction::PickLens, *lensNamed("blue")},
    HitRegion{365, 402, 127, 191, TouchAction::PickLens, *lensNamed("white")},
    HitRegion{365, 402, 191, 256, TouchAction::PickLens, *lensNamed("red")},
    HitRegion{365, 402, 256, 320, TouchAction::PickLens, *lensNamed("yellow")},
    HitRegion{406, 478, 64, 127, TouchAction::PickLens, *lensNamed("bulb_1")},
    HitRegion{406, 478, 191, 256, TouchAction::PickLens, *lensNamed("bulb_5")},
    HitRegion{406, 478, 127, 191, TouchAction::PickLens, *lensNamed("bulb_4")},
};

// With the tray down only its top 33 points are on screen, from layout y 447 to the bottom edge.
constexpr std::array trayDown{
    HitRegion{447, unbounded, 283, unbounded, TouchAction::MoveTray},
    HitRegion{447, unbounded, 184, 282, TouchAction::OpenProPage},
    HitRegion{447, unbounded, 51, 177, TouchAction::OpenMakerPage},
    HitRegion{447, unbounded, 5, 45, TouchAction::ToggleSound},
};

} // namespace

std::span<const HitRegion> trayUpRegions() {
    return trayUp;
}

std::span<const HitRegion> trayDownRegions() {
    return trayDown;
}

platform::Point layoutPoint(platform::Point touch, float screenHeight) {
    return {touch.x, touch.y - (screenHeight - 480.0f)};
}

const HitRegion* regionAt(platform::Point point, bool trayUp) {
    for (const HitRegion& region : trayUp ? trayUpRegions() : trayDownRegions())
        if (region.contains(point))
            return &region;
    return nullptr;
}

} // namespace torvane::screen
