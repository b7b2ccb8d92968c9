#include "app/TorvaneAppDelegate.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

TEST(TorvaneAppDelegate, BuildsTheWindowThenTheControllerThenPutsItsViewInTheWindow) {
    TestContext test;
    auto& context = test.context;
    context.application.setMainScreenSize({320, 480});

    torvane::screen::ScreenEnvironment environment(context);
    environment.machine = "x86_64";
    environment.screenHeight = 480;
    torvane::app::TorvaneAppDelegate delegate(environment);
    delegate.applicationDidFinishLaunching(context.application);

    ASSERT_TRUE(delegate.window);
    ASSERT_TRUE(delegate.viewController);
    EXPECT_EQ(delegate.window->frame.width, 320);
    EXPECT_EQ(delegate.window->frame.height, 480);
    EXPECT_TRUE(delegate.window->keyAndVisible);
    ASSERT_EQ(delegate.window->subviews.size(), 1u);
    EXPECT_EQ(delegate.window->subviews[0], delegate.viewController->view());
    // init ran to its end before the view was asked for.
    EXPECT_EQ(delegate.viewController->x, 5);
    EXPECT_EQ(context.settings.stringForKey("flashlight_version"), "1.6");
}
