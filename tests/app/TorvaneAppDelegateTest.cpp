#include "app/TorvaneAppDelegate.h"
#include "platform/core/Application.h"
#include "platform/storage/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(TorvaneAppDelegate, BuildsTheWindowThenTheControllerThenPutsItsViewInTheWindow) {
    std::string folder = (std::filesystem::temp_directory_path() / "torvane-delegate-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    torvane::platform::SettingsStore store(std::filesystem::path(folder) / "settings.json");
    torvane::platform::Application application;
    application.setMainScreenSize({320, 480});

    torvane::screen::ScreenEnvironment environment;
    environment.settings = &store;
    environment.application = &application;
    environment.machine = "x86_64";
    environment.screenHeight = 480;
    torvane::app::TorvaneAppDelegate delegate(environment);
    delegate.applicationDidFinishLaunching(application);

    ASSERT_TRUE(delegate.window);
    ASSERT_TRUE(delegate.viewController);
    EXPECT_EQ(delegate.window->frame.width, 320);
    EXPECT_EQ(delegate.window->frame.height, 480);
    EXPECT_TRUE(delegate.window->keyAndVisible);
    ASSERT_EQ(delegate.window->subviews.size(), 1u);
    EXPECT_EQ(delegate.window->subviews[0], delegate.viewController->view());
    // init ran to its end before the view was asked for.
    EXPECT_EQ(delegate.viewController->x, 5);
    EXPECT_EQ(store.stringForKey("flashlight_version"), "1.6");
    std::filesystem::remove_all(folder);
}
