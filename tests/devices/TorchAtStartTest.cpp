#include "platform/torch/TorchAtStart.h"

#include "../support/TestContext.h"
#include "LedTrees.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace torvane::platform;

// Lighting installs the process's exit handlers, so it is tried in a child process: the child
// exits 0 only when the LED was lit, and its exit must switch the LED off again.
TEST(TorchAtStartDeathTest, LightsAPhonesTorchAndItsExitSwitchesItOff) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TemporaryFolder tree;
    makeOnePlus6(tree);
    EXPECT_EXIT(
        {
            Clock clock;
            Trace trace(clock);
            LedAccess access(trace, tree.path().string());
            bool lit = lightTorchAtStart(access, std::string("Linux-phone"));
            std::exit(lit && brightnessOf(tree, "white:flash") == "511" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
}

TEST(TorchAtStart, LightsNothingWhereTheScreensFirstToggleWouldNot) {
    TestContext t;
    TemporaryFolder phone;
    makeOnePlus6(phone);
    LedAccess phoneAccess(t.context.trace, phone.path().string());
    // A model outside the LED class.
    EXPECT_FALSE(lightTorchAtStart(phoneAccess, std::string("iPhone2,1")));
    EXPECT_EQ(brightnessOf(phone, "white:flash"), "0");

    // A torch that is not of the flash class: the screen leaves its session unstarted.
    TemporaryFolder torchOnly;
    addLed(torchOnly, "white:torch", 255, FlashClass::No);
    LedAccess torchOnlyAccess(t.context.trace, torchOnly.path().string());
    EXPECT_FALSE(lightTorchAtStart(torchOnlyAccess, std::string("Linux-phone")));
    EXPECT_EQ(brightnessOf(torchOnly, "white:torch"), "0");

    // A desktop: no torch LED, whatever the model.
    TemporaryFolder desktop;
    addLed(desktop, "input0::capslock", 1);
    LedAccess desktopAccess(t.context.trace, desktop.path().string());
    EXPECT_FALSE(lightTorchAtStart(desktopAccess, std::nullopt));
    EXPECT_FALSE(lightTorchAtStart(desktopAccess, std::string("Linux-phone")));
    EXPECT_EQ(brightnessOf(desktop, "input0::capslock"), "0");
}
