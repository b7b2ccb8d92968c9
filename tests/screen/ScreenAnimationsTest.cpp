#include "ScreenScene.h"

#include "screen/AnimationIdentifiers.h"

#include <gtest/gtest.h>

namespace identifiers = torvane::screen;

namespace {

const std::string storedFalse = R"("op":"settings.set","key":"control_tray_up","value":"FALSE"})";
const std::string storedTrue = R"("op":"settings.set","key":"control_tray_up","value":"TRUE"})";
const std::string synchronised = R"("op":"settings.sync"})";

std::string began(const std::string& id) {
    return R"("op":"anim.begin","id":")" + id + R"(","duration":0.5})";
}

// Lets the opening sequence end and forgets its trace.
void settle(ScreenScene& scene) {
    scene.run(2.5);
    scene.markTrace();
}

} // namespace

// MARK: - The completion handler's table

TEST(ScreenAnimations, AnUnknownIdentifierDoesNothingEvenWithAKnownText) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    settle(scene);
    // The same text at another address is another identifier.
    static const char lookalike[] = "DismissControlTray";
    ASSERT_NE(static_cast<const char*>(lookalike), static_cast<const char*>(identifiers::DismissControlTray));
    for (const char* identifier : {static_cast<const char*>(lookalike), "ShowControlTray",
                                   "flipControlTrayUp", "MoveLensIntoPlace", "nothing", ""}) {
        controller.animationHasFinished(identifier, true, nullptr);
        controller.animationHasFinished(identifier, false, nullptr);
    }
    EXPECT_TRUE(scene.tracedText("").empty());
}

TEST(ScreenAnimations, TheFlipUpWithTheTrayUpStoresNothing) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    settle(scene);
    controller.controlTrayUp = 1;
    controller.animationHasFinished(identifiers::FlipControlTrayUp, true, nullptr);
    scene.run(1.0);
    EXPECT_TRUE(scene.tracedText("settings.").empty());
    EXPECT_TRUE(scene.tracedText("anim.").empty());
}

TEST(ScreenAnimations, TheTraySlidesRecordWhereTheTrayEnded) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    settle(scene);

    controller.animationHasFinished(identifiers::ShowControlTray, true, nullptr);
    EXPECT_EQ(scene.tracedText("settings."), (std::vector<std::string>{storedTrue, synchronised}));
    EXPECT_EQ(controller.controlTrayUp, 1);
    EXPECT_TRUE(controller.trayRestoreButtonView->isHidden());
    EXPECT_EQ(scene.storedAgain().stringForKey("control_tray_up"), "TRUE");

    scene.markTrace();
    // Cut short or not, the slide records its end.
    controller.animationHasFinished(identifiers::DismissControlTray, false, nullptr);
    EXPECT_EQ(scene.tracedText("settings."), (std::vector<std::string>{storedFalse, synchronised}));
    EXPECT_EQ(controller.controlTrayUp, 0);
    EXPECT_FALSE(controller.trayRestoreButtonView->isHidden());
    EXPECT_EQ(scene.storedAgain().stringForKey("control_tray_up"), "FALSE");
}

// MARK: - The opening sequence

TEST(ScreenAnimations, TheOpeningChainRunsInHalfSecondStepsAndStoresTheTrayDown) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    scene.run(2.5);

    struct Step {
        std::string op;
        double at;
    };
    const std::vector<Step> expected = {
        {R"("op":"anim.begin","id":"MoveFlashLightIntoPlace","duration":0.5})", 0},
        {R"("op":"anim.begin","id":"FlipControlTrayDown","duration":1e-04})", 0},
        {R"("op":"anim.end","id":"FlipControlTrayDown","finished":true})", 0},
        {R"("op":"anim.end","id":"MoveFlashLightIntoPlace","finished":true})", 0.5},
        {began("MoveLensIntoPlace"), 0.5},
        {R"("op":"anim.end","id":"MoveLensIntoPlace","finished":true})", 1.0},
        {began("flipControlTrayUp"), 1.0},
        {R"("op":"anim.end","id":"flipControlTrayUp","finished":true})", 1.5},
        {began("DismissControlTray"), 1.5},
        {R"("op":"anim.end","id":"DismissControlTray","finished":true})", 2.0},
    };
    auto animations = scene.traced("anim.");
    ASSERT_EQ(animations.size(), expected.size());
    // One frame, and the trace's millisecond rounding.
    const double frame = 1.0 / 60 + 0.001;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].op);
        EXPECT_EQ(animations[i].rest, expected[i].op);
        EXPECT_NEAR(animations[i].time - scene.startTime, expected[i].at, frame);
    }

    auto stored = scene.traced("settings.set");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].rest, storedFalse);
    EXPECT_NEAR(stored[0].time - scene.startTime, 2.0, frame);
    EXPECT_TRUE(controller.baseView->isHidden());
    EXPECT_EQ(controller.controlTrayUp, 0);
    EXPECT_FALSE(controller.trayRestoreButtonView->isHidden());
}

TEST(ScreenAnimations, AStoredRaisedTrayStaysUpAfterTheOpening) {
    ScreenScene scene;
    scene.storeBeforehand({{"recorded_install", "TRUE"},
                           {"flashlight_version", "1.6"},
                           {"lens_type", "blue"},
                           {"soundfx_on", "TRUE"},
                           {"control_tray_up", "TRUE"}});
    auto& controller = scene.startOnScreen();
    scene.run(2.5);
    EXPECT_TRUE(scene.tracedText("settings.").empty());
    EXPECT_TRUE(scene.tracedText(R"(anim.begin","id":"DismissControlTray)").empty());
    EXPECT_EQ(controller.controlTrayUp, 1);
    EXPECT_FLOAT_EQ(controller.lensTransform.ty, -670);
}

// MARK: - Offsets are recomputed, not accumulated

TEST(ScreenAnimations, TheLensOffsetsAreTheSameAfterManySlides) {
    ScreenScene scene;
    auto& controller = scene.startOnScreen();
    settle(scene);
    EXPECT_FLOAT_EQ(controller.lensTransform.ty, -513);
    for (int round = 0; round < 3; ++round) {
        controller.showControlTray();
        scene.run(0.6);
        EXPECT_FLOAT_EQ(controller.lensTransform.ty, -670);
        EXPECT_FLOAT_EQ(controller.controlTrayTransform.ty, 0);
        EXPECT_EQ(controller.controlTrayUp, 1);
        controller.dismissControlTray();
        scene.run(0.6);
        EXPECT_FLOAT_EQ(controller.lensTransform.ty, -513);
        EXPECT_FLOAT_EQ(controller.controlTrayTransform.ty, 156);
        EXPECT_EQ(controller.controlTrayUp, 0);
    }
    EXPECT_FLOAT_EQ(controller.imageLensView->transform().m42, -513);
    EXPECT_FLOAT_EQ(controller.controlTrayView->transform().m42, 156);
}

// MARK: - A second touch during a slide

TEST(ScreenAnimations, ASecondTouchDuringTheDismissLeavesTheTrayOnScreen) {
    ScreenScene scene;
    scene.storeBeforehand({{"recorded_install", "TRUE"},
                           {"flashlight_version", "1.6"},
                           {"lens_type", "white"},
                           {"soundfx_on", "TRUE"},
                           {"control_tray_up", "TRUE"}});
    auto& controller = scene.startOnScreen();
    settle(scene);
    ASSERT_EQ(controller.controlTrayUp, 1);

    // The tray button, twice, the second time while the first slide runs: the old table holds.
    controller.touchesBegan(torvane::platform::Point{300, 300});
    scene.run(0.2);
    controller.touchesBegan(torvane::platform::Point{300, 300});
    scene.run(1.0);

    EXPECT_FLOAT_EQ(controller.controlTrayTransform.ty, 156);
    EXPECT_FLOAT_EQ(controller.controlTrayView->transform().m42, 156);
    EXPECT_FLOAT_EQ(controller.lensTransform.ty, -513);
    EXPECT_EQ(scene.tracedText("anim."),
              (std::vector<std::string>{began("DismissControlTray"), began("DismissControlTray"),
                                        R"("op":"anim.end","id":"DismissControlTray","finished":false})",
                                        R"("op":"anim.end","id":"DismissControlTray","finished":true})"}));
    EXPECT_EQ(scene.tracedText("settings."),
              (std::vector<std::string>{storedFalse, synchronised, storedFalse, synchronised}));
    EXPECT_EQ(controller.controlTrayUp, 0);
}
