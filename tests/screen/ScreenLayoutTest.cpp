#include "ScreenScene.h"

#include "platform/view/Animator.h"

#include <gtest/gtest.h>

#include <algorithm>

using torvane::platform::Transform3D;

namespace {

const std::vector<std::pair<std::string, std::string>> soundOffStore = {{"recorded_install", "TRUE"},
                                                                        {"flashlight_version", "1.6"},
                                                                        {"lens_type", "red"},
                                                                        {"soundfx_on", "FALSE"},
                                                                        {"control_tray_up", "TRUE"}};

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return std::size_t(std::count(lines.begin(), lines.end(), line));
}

const std::string lensCoverPlayed = R"("op":"sound.play","player":"audioPlayerLowerLensCover"})";

} // namespace

TEST(ScreenLayout, TheFramesFollowTheScreenHeight) {
    for (float H : {480.0f, 568.0f}) {
        SCOPED_TRACE(H);
        ScreenScene scene;
        auto& controller = scene.startOnScreen("iPhone2,1", H);

        auto lens = controller.imageLensView->frame();
        EXPECT_EQ(lens.x, 0);
        EXPECT_EQ(lens.y, 480);
        EXPECT_EQ(lens.width, 320);
        EXPECT_EQ(lens.height, H);

        auto tray = controller.controlTrayView->frame();
        EXPECT_EQ(tray.x, 0);
        EXPECT_EQ(tray.y, H - 480 + 291);
        EXPECT_EQ(tray.width, 320);
        EXPECT_EQ(tray.height, 190);

        // The body zooms to 1.52 and moves down by the extra height plus 202.
        auto body = controller.baseView->transform();
        EXPECT_FLOAT_EQ(body.m11, 1.52f);
        EXPECT_FLOAT_EQ(body.m22, 1.52f);
        EXPECT_FLOAT_EQ(body.m42, H - 278);
        EXPECT_FLOAT_EQ(body.m41, 0);
        EXPECT_EQ(controller.view()->frame().height, H);
    }
}

TEST(ScreenLayout, TheTrayLayerStartsPlainAndEndsEdgeOnWithPerspective) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    // What the screen shows at the start is the plain identity: no perspective yet.
    EXPECT_EQ(controller.controlTrayView->presentationTransform(scene.startTime), Transform3D::identity());

    // Then a quarter turn about x of the perspective at 500 points (m34 = -0.002), which the turn
    // carries into the y column.
    Transform3D perspective = Transform3D::identity();
    perspective.m34 = -0.002f;
    const Transform3D edgeOn = torvane::platform::rotate(perspective, 1.5707964f, 1, 0, 0);
    EXPECT_EQ(controller.controlTrayView->transform(), edgeOn);
    EXPECT_EQ(controller.ca3DBoardTrans, edgeOn);
    EXPECT_NEAR(edgeOn.m24, -0.002f, 1e-7);
    EXPECT_NEAR(edgeOn.m22, 0, 1e-6);
    EXPECT_NE(edgeOn, torvane::platform::rotate(Transform3D::identity(), 1.5707964f, 1, 0, 0));
    EXPECT_EQ(controller.gameBoardLayer, controller.controlTrayView.get());
}

TEST(ScreenLayout, TheIndicatorsAndTheLensCoverSoundFollowTheSoundSetting) {
    {
        SCOPED_TRACE("sound on");
        ScreenScene scene;
        auto& controller = scene.startOnScreen();
        EXPECT_TRUE(controller.soundOffButtonView->isHidden());
        EXPECT_TRUE(controller.trayRestoreButtonView->isHidden());
        EXPECT_EQ(count(scene.tracedText("sound.play"), lensCoverPlayed), 1u);
    }
    {
        SCOPED_TRACE("sound off");
        ScreenScene scene;
        scene.storeBeforehand(soundOffStore);
        auto& controller = scene.startOnScreen();
        EXPECT_FALSE(controller.soundOffButtonView->isHidden());
        EXPECT_TRUE(controller.trayRestoreButtonView->isHidden());
        EXPECT_TRUE(scene.tracedText("sound.play").empty());
    }
}

TEST(ScreenLayout, TheViewTreeIsBuiltOnce) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    auto first = controller.view();
    EXPECT_EQ(controller.view(), first);
    EXPECT_EQ(first->subviews().size(), 3u);
    EXPECT_EQ(controller.controlTrayView->subviews().size(), 2u);
}

// A rotation or a resize in the middle of the opening and of a slide: what hangs from the bottom
// follows, the hit tables use the new height, and every animation still ends as it would have.
TEST(ScreenLayout, ANewHeightMovesWhatHangsFromTheBottomWithoutStoppingAnAnimation) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen("iPhone2,1", 568);
    scene.run(0.25); // the body's zoom is half way
    controller.layoutHeightChanged(640);
    EXPECT_EQ(controller.baseView->frame().y, 197 + 72);
    EXPECT_FLOAT_EQ(controller.flashlightTransform.ty, 640 - 278);
    scene.run(2.0);
    EXPECT_EQ(scene.traced("anim.end").size(), 5u);
    EXPECT_EQ(scene.traced(R"(anim.end","id":"DismissControlTray","finished":true)").size(), 1u);
    EXPECT_EQ(controller.controlTrayUp, 0);
    EXPECT_EQ(controller.view()->frame().height, 640);
    EXPECT_EQ(controller.imageLensView->frame().height, 640);
    EXPECT_EQ(controller.controlTrayView->frame().y, 640 - 189);

    controller.touchesBegan(torvane::platform::Point{300, 640 - 17}); // the chevron, tray down
    scene.run(0.25);
    controller.layoutHeightChanged(480);
    EXPECT_EQ(controller.controlTrayView->frame().y, 291);
    scene.run(0.5);
    EXPECT_EQ(scene.traced(R"(anim.end","id":"ShowControlTray","finished":true)").size(), 1u);
    EXPECT_EQ(controller.controlTrayUp, 1);

    const auto soundBefore = controller.soundFxOn;
    controller.touchesBegan(torvane::platform::Point{25, 308}); // the sound switch, tray up
    EXPECT_NE(controller.soundFxOn, soundBefore);
}
