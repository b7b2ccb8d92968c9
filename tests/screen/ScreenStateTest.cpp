#include "ScreenStart.h"

#include <gtest/gtest.h>

using torvane::screen::TorvaneViewController;

namespace {

const std::vector<std::string> seedingTrace = {
    R"("op":"settings.set","key":"flashlight_version","value":"1.6"})",
    R"("op":"settings.set","key":"lens_type","value":"white"})",
    R"("op":"settings.set","key":"soundfx_on","value":"TRUE"})",
    R"("op":"settings.set","key":"control_tray_up","value":"FALSE"})",
    R"("op":"settings.sync"})",
};

void expectFirstRunChoices(const TorvaneViewController& controller) {
    EXPECT_EQ(controller.lensTypeStr, "white");
    EXPECT_EQ(controller.lensFileInUse, "white_screen.png");
    EXPECT_EQ(controller.soundFxOn, 1);
    EXPECT_EQ(controller.controlTrayUp, 0);
}

} // namespace

// MARK: - The start table

TEST(ScreenStart, AnEmptyStoreSeedsTheFourKeysInOrderWithOneSynchronise) {
    ScreenStart start;
    auto controller = start.start();
    expectFirstRunChoices(*controller);
    EXPECT_EQ(start.traced("settings."), seedingTrace);
    EXPECT_EQ(controller->defaults, &start.store());
    torvane::platform::SettingsStore reread(start.store().path(), start.context().trace);
    EXPECT_EQ(reread.stringForKey("flashlight_version"), "1.6");
    EXPECT_EQ(reread.stringForKey("control_tray_up"), "FALSE");
}

TEST(ScreenStart, AStoreOfVersion16RestoresAndWritesNothing) {
    ScreenStart start;
    start.storeBeforehand({{"flashlight_version", "1.6"},
                           {"lens_type", "bulb_4"},
                           {"soundfx_on", "FALSE"},
                           {"control_tray_up", "TRUE"}});
    auto controller = start.start();
    EXPECT_EQ(controller->lensTypeStr, "bulb_4");
    EXPECT_EQ(controller->lensFileInUse, "bulb_4.png");
    EXPECT_EQ(controller->soundFxOn, 0);
    EXPECT_EQ(controller->controlTrayUp, 1);
    EXPECT_TRUE(start.traced("settings.").empty());
}

TEST(ScreenStart, OnlyExactlyTRUEIsTrue) {
    ScreenStart start;
    start.storeBeforehand({{"flashlight_version", "1.6"},
                           {"lens_type", "red"},
                           {"soundfx_on", "True"},
                           {"control_tray_up", "true"}});
    auto controller = start.start();
    EXPECT_EQ(controller->soundFxOn, 0);
    EXPECT_EQ(controller->controlTrayUp, 0);
}

TEST(ScreenStart, AnotherVersionIsSeededAfresh) {
    for (std::string version : {"1.5", "", "1.60", "2.0"}) {
        SCOPED_TRACE(version);
        ScreenStart start;
        start.storeBeforehand({{"flashlight_version", version},
                               {"lens_type", "blue"},
                               {"soundfx_on", "FALSE"},
                               {"control_tray_up", "TRUE"}});
        auto controller = start.start();
        expectFirstRunChoices(*controller);
        EXPECT_EQ(start.traced("settings."), seedingTrace);
        EXPECT_EQ(torvane::platform::SettingsStore(start.store().path(), start.context().trace)
                      .stringForKey("lens_type"),
                  "white");
    }
}

TEST(ScreenStart, TheInstallMarkerIsIndependentOfTheVersion) {
    ScreenStart reseeded;
    reseeded.storeBeforehand({{"flashlight_version", "1.0"}, {"recorded_install", "TRUE"}});
    auto controller = reseeded.start();
    expectFirstRunChoices(*controller);
    EXPECT_EQ(reseeded.traced("settings."), seedingTrace) << "seeding neither reads nor writes the marker";
    EXPECT_EQ(reseeded.store().stringForKey("recorded_install"), "TRUE");

    ScreenStart restored;
    restored.storeBeforehand({{"flashlight_version", "1.6"},
                              {"lens_type", "green"},
                              {"soundfx_on", "TRUE"},
                              {"control_tray_up", "FALSE"},
                              {"recorded_install", "anything"}});
    controller = restored.start();
    EXPECT_EQ(controller->lensTypeStr, "green");
    EXPECT_TRUE(restored.traced("settings.").empty());
    controller.reset(); // before the start it was made in
}

// MARK: - Mended faults: a restored store always gives light, and nothing is written

TEST(ScreenStart, AnUnknownOrMissingLensStartsTheWhiteLens) {
    const std::vector<std::vector<std::pair<std::string, std::string>>> stores = {
        {{"flashlight_version", "1.6"},
         {"lens_type", "purple"},
         {"soundfx_on", "FALSE"},
         {"control_tray_up", "TRUE"}},
        {{"flashlight_version", "1.6"},
         {"lens_type", "White"},
         {"soundfx_on", "FALSE"},
         {"control_tray_up", "TRUE"}},
        {{"flashlight_version", "1.6"}, {"soundfx_on", "FALSE"}, {"control_tray_up", "TRUE"}},
    };
    for (const auto& stored : stores) {
        ScreenStart start;
        start.storeBeforehand(stored);
        auto controller = start.start();
        EXPECT_EQ(controller->lensTypeStr, "white");
        EXPECT_EQ(controller->lensFileInUse, "white_screen.png");
        EXPECT_EQ(controller->soundFxOn, 0) << "the other choices are still restored";
        EXPECT_EQ(controller->controlTrayUp, 1);
        EXPECT_TRUE(start.traced("settings.").empty());
    }
}

TEST(ScreenStart, MissingFlagsTakeTheirFirstRunValues) {
    ScreenStart start;
    start.storeBeforehand({{"flashlight_version", "1.6"}, {"lens_type", "yellow"}});
    auto controller = start.start();
    EXPECT_EQ(controller->lensFileInUse, "yellow_screen.png");
    EXPECT_EQ(controller->soundFxOn, 1);
    EXPECT_EQ(controller->controlTrayUp, 0);
    EXPECT_TRUE(start.traced("settings.").empty());
}

// MARK: - The rest of init

TEST(ScreenStart, EveryLensOfTheTableIsRestoredWithItsPicture) {
    const std::vector<std::pair<std::string, std::string>> lenses = {
        {"white", "white_screen.png"}, {"green", "green_screen.png"},   {"blue", "blue_screen.png"},
        {"red", "red_screen.png"},     {"yellow", "yellow_screen.png"}, {"bulb_1", "bulb_1.png"},
        {"bulb_4", "bulb_4.png"},      {"bulb_5", "bulb_5.png"},
    };
    for (const auto& [name, file] : lenses) {
        ScreenStart start;
        start.storeBeforehand({{"flashlight_version", "1.6"}, {"lens_type", name}});
        EXPECT_EQ(start.start()->lensFileInUse, file);
    }
}

TEST(ScreenStart, InitHidesTheStatusBarKeepsTheScreenAwakeAndFillsTheClickPool) {
    ScreenStart start;
    auto controller = start.start();
    EXPECT_EQ(controller->x, 5) << "the first lens click must use slot 0";
    EXPECT_TRUE(start.application().isStatusBarHidden());
    EXPECT_TRUE(start.application().isIdleTimerDisabled());
    // Both come before the stored choices are seeded.
    auto calls = start.traced("");
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], R"("op":"statusbar.hidden","value":true})");
    EXPECT_EQ(calls[1], R"("op":"idletimer.disabled","value":true})");
    EXPECT_EQ(calls[2], seedingTrace[0]);
}

TEST(ScreenStart, TheScreenHeightIsTakenAndIsZeroWithoutAScreen) {
    ScreenStart tall;
    EXPECT_EQ(tall.start("x86_64", 568)->screenHeight, 568.0f);
    ScreenStart none;
    EXPECT_EQ(none.start("x86_64", std::nullopt)->screenHeight, 0.0f);
}

TEST(ScreenStart, TheDeviceClassIsDecidedFromTheModel) {
    ScreenStart led;
    EXPECT_EQ(led.start("iPhone3,1")->deviceIsiPhone4, 1);
    ScreenStart old;
    EXPECT_EQ(old.start("iPhone2,1")->deviceIsiPhone4, 0);
    ScreenStart unknown;
    EXPECT_EQ(unknown.start(std::nullopt)->deviceIsiPhone4, 0);
    EXPECT_EQ(unknown.start(std::nullopt)->canCaptureAVSessions, 1);
}
