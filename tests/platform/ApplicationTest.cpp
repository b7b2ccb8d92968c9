#include "platform/core/Application.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace torvane::platform;

// The state is the flags as last set, and every change reaches the trace in the order made.
TEST(Application, TheFlagsReadAsLastSetAndEveryChangeIsTraced) {
    TestContext t;
    Application& application = t.context.application;
    t.startTrace();
    application.setStatusBarHidden(true);
    application.setIdleTimerDisabled(true);
    application.setStatusBarHidden(false);
    t.stopTrace();
    EXPECT_FALSE(application.isStatusBarHidden());
    EXPECT_TRUE(application.isIdleTimerDisabled());
    std::vector<std::string> ops;
    for (const auto& line : t.traceLines())
        ops.push_back(line.substr(line.find("\"op\"")));
    std::vector<std::string> expected = {"\"op\":\"statusbar.hidden\",\"value\":true}",
                                         "\"op\":\"idletimer.disabled\",\"value\":true}",
                                         "\"op\":\"statusbar.hidden\",\"value\":false}"};
    EXPECT_EQ(ops, expected);
}

TEST(Application, TheMainScreenIs320PointsWideByDefault) {
    TestContext t;
    Application& application = t.context.application;
    Rect bounds = application.mainScreenBounds();
    EXPECT_EQ(bounds.width, 320);
    EXPECT_EQ(bounds.height, 568);
    application.setMainScreenSize({320, 480});
    EXPECT_EQ(application.mainScreenBounds().height, 480);
}
