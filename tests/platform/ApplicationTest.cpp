#include "platform/core/Application.h"

#include <gtest/gtest.h>

#include <vector>

using namespace torvane::platform;

TEST(Application, TheStateHookSeesTheCurrentStateAtOnceAndAfterEveryChange) {
    Application application;
    application.setStatusBarHidden(true);
    std::vector<std::pair<bool, bool>> seen;
    application.setStateHook([&seen](const Application& state) {
        seen.emplace_back(state.isStatusBarHidden(), state.isIdleTimerDisabled());
    });
    application.setIdleTimerDisabled(true);
    application.setStatusBarHidden(false);
    std::vector<std::pair<bool, bool>> expected = {{true, false}, {true, true}, {false, true}};
    EXPECT_EQ(seen, expected);
}

TEST(Application, TheMainScreenIs320PointsWideByDefault) {
    Application application;
    Rect bounds = application.mainScreenBounds();
    EXPECT_EQ(bounds.width, 320);
    EXPECT_EQ(bounds.height, 568);
    application.setMainScreenSize({320, 480});
    EXPECT_EQ(application.mainScreenBounds().height, 480);
}
