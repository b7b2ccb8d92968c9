#include "ScreenStart.h"

#include <gtest/gtest.h>

TEST(AdValues, AreTheFixedPlacementValues) {
    ScreenStart start;
    auto controller = start.start();
    EXPECT_EQ(controller->publisherId(), "c2f9e04b7d13a58");
    EXPECT_EQ(&controller->currentViewController(), controller.get());
    EXPECT_EQ(controller->adBackgroundColor(), (torvane::platform::Color{0, 0, 0, 1}));
    EXPECT_EQ(controller->primaryTextColor(), (torvane::platform::Color{1, 1, 1, 1}));
    EXPECT_EQ(controller->secondaryTextColor(), controller->primaryTextColor());
}
