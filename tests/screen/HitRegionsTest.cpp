#include "screen/HitRegions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace torvane::screen;
using torvane::platform::Point;

namespace {

std::string_view lensAt(float x, float y) {
    const HitRegion* region = regionAt({x, y}, true);
    return region && region->action == TouchAction::PickLens ? region->lens.name : "";
}

std::optional<TouchAction> actionAt(float x, float y, bool trayUp) {
    const HitRegion* region = regionAt({x, y}, trayUp);
    return region ? std::optional(region->action) : std::nullopt;
}

} // namespace

TEST(HitRegions, BoundsAreStrict) {
    EXPECT_EQ(lensAt(64, 380), "");
    EXPECT_EQ(lensAt(63.9f, 380), "green");
    EXPECT_EQ(lensAt(64.1f, 380), "blue");
    EXPECT_FALSE(actionAt(20, 288, true));
    EXPECT_FALSE(actionAt(20, 328, true));
    EXPECT_EQ(actionAt(20, 288.5f, true), TouchAction::ToggleSound);
    EXPECT_FALSE(actionAt(NAN, 300, true));
    EXPECT_FALSE(actionAt(300, NAN, false));
}

TEST(HitRegions, DeadGapsOfTheControlStripDoNothing) {
    for (float x : {0.0f, 5.0f, 45.0f, 48.0f, 51.0f, 177.0f, 180.0f, 184.0f, 282.0f, 282.5f, 283.0f}) {
        EXPECT_FALSE(actionAt(x, 300, true)) << x;
        EXPECT_FALSE(actionAt(x, 460, false)) << x;
    }
    EXPECT_EQ(lensAt(2, 380), "");
    EXPECT_EQ(lensAt(64, 420), "");
    EXPECT_EQ(lensAt(30, 420), "");
    EXPECT_EQ(lensAt(256, 420), "");
    EXPECT_EQ(lensAt(300, 420), "");
}

TEST(HitRegions, EveryLensButtonWithTheTrayUp) {
    EXPECT_EQ(lensAt(30, 380), "green");
    EXPECT_EQ(lensAt(100, 380), "blue");
    EXPECT_EQ(lensAt(160, 380), "white");
    EXPECT_EQ(lensAt(220, 380), "red");
    EXPECT_EQ(lensAt(300, 380), "yellow");
    EXPECT_EQ(lensAt(100, 450), "bulb_1");
    EXPECT_EQ(lensAt(160, 450), "bulb_4");
    EXPECT_EQ(lensAt(220, 450), "bulb_5");
    EXPECT_EQ(regionAt({220, 450}, true)->lens.imageFile, "bulb_5.png");
}

TEST(HitRegions, ControlStripWithTheTrayUpAndDown) {
    EXPECT_EQ(actionAt(300, 300, true), TouchAction::MoveTray);
    EXPECT_EQ(actionAt(200, 300, true), TouchAction::OpenProPage);
    EXPECT_EQ(actionAt(100, 300, true), TouchAction::OpenMakerPage);
    EXPECT_EQ(actionAt(20, 300, true), TouchAction::ToggleSound);
    // Down: the strip answers at every layout y past 447, down to the bottom edge and beyond.
    EXPECT_FALSE(actionAt(300, 447, false));
    EXPECT_EQ(actionAt(300, 447.5f, false), TouchAction::MoveTray);
    EXPECT_EQ(actionAt(200, 479, false), TouchAction::OpenProPage);
    EXPECT_EQ(actionAt(100, 10000, false), TouchAction::OpenMakerPage);
    EXPECT_EQ(actionAt(20, 460, false), TouchAction::ToggleSound);
    // Lens rows are not tested with the tray down, nor is the raised strip.
    EXPECT_FALSE(actionAt(100, 380, false));
    EXPECT_FALSE(actionAt(300, 300, false));
}

TEST(HitRegions, TallScreensShiftTheLayout) {
    // On a 568-point screen the raised strip answers at screen y 376 to 416, exclusive.
    EXPECT_FLOAT_EQ(layoutPoint({10, 376}, 568).y, 288);
    EXPECT_FALSE(actionAt(20, layoutPoint({20, 376}, 568).y, true));
    EXPECT_EQ(actionAt(20, layoutPoint({20, 377}, 568).y, true), TouchAction::ToggleSound);
    EXPECT_EQ(actionAt(20, layoutPoint({20, 415.9f}, 568).y, true), TouchAction::ToggleSound);
    EXPECT_FALSE(actionAt(20, layoutPoint({20, 416}, 568).y, true));
    EXPECT_FLOAT_EQ(layoutPoint({7, 100}, 0).y, 580);
    EXPECT_FLOAT_EQ(layoutPoint({7, 100}, 0).x, 7);
}
