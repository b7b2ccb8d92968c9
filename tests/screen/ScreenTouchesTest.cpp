#include "ScreenScene.h"

#include "platform/view/Image.h"

#include <gtest/gtest.h>

#include <algorithm>

using torvane::platform::Point;

namespace {

std::vector<std::pair<std::string, std::string>>
storeWith(const std::string& sound, const std::string& trayUp, const std::string& lens = "red") {
    return {{"recorded_install", "TRUE"},
            {"flashlight_version", "1.6"},
            {"lens_type", lens},
            {"soundfx_on", sound},
            {"control_tray_up", trayUp}};
}

// A controller whose opening has ended, with the trace of the opening forgotten.
torvane::screen::TorvaneViewController& settled(ScreenScene& scene, const std::string& sound,
                                                const std::string& trayUp, float screenHeight = 480,
                                                const std::string& lens = "red") {
    scene.storeBeforehand(storeWith(sound, trayUp, lens));
    auto& controller = scene.startOnScreen("iPhone2,1", screenHeight);
    scene.run(2.5);
    scene.markTrace();
    return controller;
}

std::string logged(const std::string& line) {
    return R"("op":"log","line":")" + line + R"("})";
}

const std::string synchronised = R"("op":"settings.sync"})";

std::string stored(const std::string& key, const std::string& value) {
    return R"("op":"settings.set","key":")" + key + R"(","value":")" + value + R"("})";
}

} // namespace

TEST(ScreenTouches, EveryTouchLogsItsLayoutPointWithThreeDecimals) {
    {
        ScreenScene scene;
        auto& controller = settled(scene, "TRUE", "TRUE");
        controller.touchesBegan(Point{100.5f, 300});
        EXPECT_EQ(scene.tracedText("log"), (std::vector<std::string>{logged("y->300.000 x->100.500")}));
    }
    {
        // A taller screen moves the touch up by its extra height.
        ScreenScene scene;
        auto& controller = settled(scene, "TRUE", "TRUE", 568);
        controller.touchesBegan(Point{100.5f, 388});
        controller.touchesBegan(Point{0.25f, 10});
        EXPECT_EQ(scene.tracedText("log"),
                  (std::vector<std::string>{logged("y->300.000 x->100.500"), logged("y->-78.000 x->0.250")}));
    }
}

TEST(ScreenTouches, ALensRowTouchShowsStoresAndNamesTheLens) {
    struct Case {
        Point touch;
        const char* lens;
        const char* image;
    };
    for (const Case& c :
         {Case{{30, 380}, "green", "green_screen.png"}, Case{{100, 380}, "blue", "blue_screen.png"},
          Case{{160, 380}, "white", "white_screen.png"}, Case{{220, 380}, "red", "red_screen.png"},
          Case{{300, 380}, "yellow", "yellow_screen.png"}, Case{{100, 440}, "bulb_1", "bulb_1.png"},
          Case{{160, 440}, "bulb_4", "bulb_4.png"}, Case{{220, 440}, "bulb_5", "bulb_5.png"}}) {
        SCOPED_TRACE(c.lens);
        ScreenScene scene;
        auto& controller = settled(scene, "TRUE", "TRUE", 568, "bulb_1");
        controller.touchesBegan(Point{c.touch.x, c.touch.y + 88});
        ASSERT_TRUE(controller.imageLensView->image());
        EXPECT_EQ(controller.imageLensView->image()->fileName(), c.image);
        EXPECT_EQ(controller.lensTypeStr, c.lens);
        EXPECT_EQ(scene.tracedText("settings."),
                  (std::vector<std::string>{stored("lens_type", c.lens), synchronised}));
        EXPECT_EQ(scene.storedAgain().stringForKey("lens_type"), c.lens);
        EXPECT_EQ(scene.tracedText("sound.play").size(), 1u);
    }
}

TEST(ScreenTouches, ChoosingTheLensInUseStillWritesIt) {
    ScreenScene scene;
    auto& controller = settled(scene, "FALSE", "TRUE", 480, "red");
    controller.touchesBegan(Point{220, 380});
    EXPECT_EQ(controller.lensTypeStr, "red");
    EXPECT_EQ(scene.tracedText("settings."),
              (std::vector<std::string>{stored("lens_type", "red"), synchronised}));
    EXPECT_EQ(scene.tracedText(R"(view.image","view":"imageLensView)").size(), 1u);
    EXPECT_TRUE(scene.tracedText("sound.play").empty()) << "sound is off";
}

TEST(ScreenTouches, TheSoundSwitchStoresAndShowsTheSetting) {
    ScreenScene scene;
    auto& controller = settled(scene, "TRUE", "TRUE");

    controller.touchesBegan(Point{20, 300});
    EXPECT_EQ(controller.soundFxOn, 0);
    EXPECT_FALSE(controller.soundOffButtonView->isHidden());
    EXPECT_EQ(scene.tracedText("settings."),
              (std::vector<std::string>{stored("soundfx_on", "FALSE"), synchronised}));
    EXPECT_TRUE(scene.tracedText("sound.play").empty());

    scene.markTrace();
    // Switching on is heard, though sound was off when the touch came.
    controller.touchesBegan(Point{20, 300});
    EXPECT_EQ(controller.soundFxOn, 1);
    EXPECT_TRUE(controller.soundOffButtonView->isHidden());
    EXPECT_EQ(scene.tracedText("settings."),
              (std::vector<std::string>{stored("soundfx_on", "TRUE"), synchronised}));
    EXPECT_EQ(scene.tracedText("sound.play"),
              (std::vector<std::string>{R"("op":"sound.play","player":"audioPlayerLowerLensCover"})"}));
    EXPECT_EQ(scene.storedAgain().stringForKey("soundfx_on"), "TRUE");
}

TEST(ScreenTouches, TheSoundSwitchWorksWithTheTrayDown) {
    ScreenScene scene;
    auto& controller = settled(scene, "FALSE", "FALSE", 568);
    controller.touchesBegan(Point{20, 470 + 88});
    EXPECT_EQ(controller.soundFxOn, 1);
    EXPECT_EQ(scene.tracedText("settings."),
              (std::vector<std::string>{stored("soundfx_on", "TRUE"), synchronised}));
}

TEST(ScreenTouches, LensRowsDoNothingWithTheTrayDown) {
    ScreenScene scene;
    auto& controller = settled(scene, "TRUE", "FALSE");
    auto lensImage = controller.imageLensView->image();
    for (Point touch : {Point{30, 380}, Point{160, 380}, Point{100, 440}, Point{220, 440}}) {
        controller.touchesBegan(touch);
    }
    EXPECT_EQ(controller.lensTypeStr, "red");
    EXPECT_EQ(controller.imageLensView->image(), lensImage);
    EXPECT_TRUE(scene.tracedText("settings.").empty());
    EXPECT_TRUE(scene.tracedText("sound.play").empty());
    EXPECT_TRUE(scene.tracedText("view.").empty());
    EXPECT_EQ(scene.tracedText("log").size(), 4u);
}

TEST(ScreenTouches, TheTrayButtonMovesTheTrayBothWays) {
    ScreenScene scene;
    auto& controller = settled(scene, "TRUE", "FALSE", 568);
    controller.touchesBegan(Point{300, 460 + 88});
    scene.run(0.6);
    EXPECT_EQ(controller.controlTrayUp, 1);
    EXPECT_TRUE(controller.trayRestoreButtonView->isHidden());
    controller.touchesBegan(Point{300, 300 + 88});
    scene.run(0.6);
    EXPECT_EQ(controller.controlTrayUp, 0);
    EXPECT_FALSE(controller.trayRestoreButtonView->isHidden());
    EXPECT_EQ(scene.tracedText("sound.play"),
              (std::vector<std::string>{R"("op":"sound.play","player":"audioPlayerShowTray"})",
                                        R"("op":"sound.play","player":"audioPlayerDismissTray"})"}));
}
