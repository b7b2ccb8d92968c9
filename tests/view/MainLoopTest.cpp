#include "platform/view/MainLoop.h"
#include "platform/view/Animator.h"
#include "platform/view/ColumnFit.h"
#include "platform/view/DisplayConnection.h"
#include "platform/view/ImageView.h"
#include "platform/view/PictureFile.h"
#include "platform/view/TouchMapping.h"

#include "../support/TestContext.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace torvane::platform;

namespace {

ScriptCommand wait(double seconds) {
    ScriptCommand command;
    command.kind = ScriptCommand::Kind::Wait;
    command.seconds = seconds;
    return command;
}

ScriptCommand tap(float x, float y) {
    ScriptCommand command;
    command.kind = ScriptCommand::Kind::Tap;
    command.point = {x, y};
    return command;
}

ScriptCommand shot(const std::string& file) {
    ScriptCommand command;
    command.kind = ScriptCommand::Kind::Shot;
    command.file = file;
    return command;
}

class HeadlessLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(loop.open());
        root = std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 568});
        loop.setContent(root, [this](Point p) { touches.push_back(p); });
    }

    TestContext t;
    MainLoop loop{t.context.mainLoopParts(), MainLoopOptions{true, false, {320, 568}, 1}};
    std::shared_ptr<ImageView> root;
    std::vector<Point> touches;
};

} // namespace

TEST(TouchMapping, WindowAndFingerPositionsBecomeDrawablePixels) {
    // A high-DPI window: 320×568 window units, 640×1136 drawable pixels.
    Point p = pixelFromWindow(100, 200, {320, 568}, {640, 1136});
    EXPECT_FLOAT_EQ(p.x, 200);
    EXPECT_FLOAT_EQ(p.y, 400);
    p = pixelFromWindow(100, 200, {0, 0}, {640, 1136}); // a window not yet shown
    EXPECT_FLOAT_EQ(p.x, 100);
    p = pixelFromFinger(0.5f, 0.25f, {640, 1136});
    EXPECT_FLOAT_EQ(p.x, 320);
    EXPECT_FLOAT_EQ(p.y, 284);
}

TEST(ColumnFit, TheColumnKeepsItsWidthAndTakesTheWholeHeight) {
    struct Case {
        Size pixels;
        float scale, left, height;
    };
    for (const Case& c : {Case{{640, 960}, 2, 0, 480},      // the least height
                          Case{{640, 1136}, 2, 0, 568},     // a taller phone
                          Case{{720, 1440}, 2.25f, 0, 640}, // 360×720 points at 2 pixels a point
                          Case{{824, 1830}, 2.575f, 0, 1830 / 2.575f},
                          Case{{1440, 720}, 1.5f, 480, 480}, // landscape: room at both sides
                          Case{{641, 960}, 2, 0, 480},       // half a pixel of room: the edge stays sharp
                          Case{{0, 0}, 1, 0, 480}}) {        // a window not yet shown
        SCOPED_TRACE(testing::Message() << c.pixels.width << "x" << c.pixels.height);
        ColumnFit fit = fitColumn(c.pixels, {320, 480});
        EXPECT_FLOAT_EQ(fit.scale, c.scale);
        EXPECT_FLOAT_EQ(fit.left, c.left);
        EXPECT_FLOAT_EQ(fit.layout.width, 320);
        EXPECT_FLOAT_EQ(fit.layout.height, c.height);
    }
}

TEST(ColumnFit, OnlyPointsInsideTheColumnAreInside) {
    ColumnFit fit = fitColumn({1440, 720}, {320, 480});
    Point p = fit.layoutPoint({480 + 150, 300});
    EXPECT_FLOAT_EQ(p.x, 100);
    EXPECT_FLOAT_EQ(p.y, 200);
    EXPECT_TRUE(fit.contains(fit.layoutPoint({480, 0}))); // edges included
    EXPECT_TRUE(fit.contains(fit.layoutPoint({960, 720})));
    EXPECT_FALSE(fit.contains(fit.layoutPoint({479, 100}))); // beside the column
    EXPECT_FALSE(fit.contains(fit.layoutPoint({961, 100})));
    EXPECT_FALSE(fit.contains({std::nanf(""), 10}));
    EXPECT_FALSE(fit.contains({10, 481}));
}

TEST_F(HeadlessLoop, IdleVirtualTimeDrawsNoFrames) {
    loop.runScript({wait(0.1)});
    auto drawn = loop.framesDrawn();
    EXPECT_GE(drawn, 1u); // the first frame
    loop.runScript({wait(5)});
    EXPECT_EQ(loop.framesDrawn(), drawn);
}

TEST_F(HeadlessLoop, AnAnimationDrawsAFrameForEachStepUntilItEnds) {
    loop.runScript({wait(0.1)});
    auto before = loop.framesDrawn();
    t.context.animator.beginAnimations("slide");
    t.context.animator.setAnimationDuration(0.5);
    root->setTransform(AffineTransform::makeTranslation(0, 100));
    t.context.animator.commitAnimations();
    loop.runScript({wait(2)});
    auto during = loop.framesDrawn() - before;
    EXPECT_GE(during, 30u);
    EXPECT_LE(during, 33u);
}

TEST_F(HeadlessLoop, WaitRunsPostedWorkTimersAndTheBarrierAtEachStep) {
    std::atomic<int> posted{0};
    std::thread other([&] { loop.post([&] { posted = posted + 1; }); });
    other.join();
    double firedAt = -1;
    double start = t.context.clock.now();
    loop.after(0.25, [&] { firedAt = t.context.clock.now() - start; });
    int barriers = 0;
    loop.setWaitBarrier([&] { ++barriers; });
    loop.runScript({wait(0.5)});
    EXPECT_EQ(posted, 1);
    EXPECT_NEAR(firedAt, 0.25, 1.0 / 60 + 1e-6);
    EXPECT_GE(firedAt, 0.25 - 1e-6);
    EXPECT_EQ(barriers, 30);
    EXPECT_NEAR(t.context.clock.now() - start, 0.5, 1e-5);
}

TEST_F(HeadlessLoop, TapsGoToTheAlertAloneWhileItIsUp) {
    loop.runScript({tap(10, 20)});
    ASSERT_EQ(touches.size(), 1u);
    EXPECT_FLOAT_EQ(touches[0].y, 20);
    std::vector<int> clicks;
    loop.alerts().show({"Title", "Message", "Cancel", {"OK"}, [&](int index) { clicks.push_back(index); }});
    auto layout = loop.alerts().layout();
    ASSERT_TRUE(layout);
    Point ok = layout->buttons[1].frame.center();
    loop.runScript({tap(10, 20), tap(ok.x, ok.y), tap(10, 20)});
    EXPECT_EQ(clicks, std::vector<int>{1});
    EXPECT_EQ(touches.size(), 2u); // the first and the last tap
}

TEST(HeadlessShot, IsWrittenAtTheWindowsPixelSize) {
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{true, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}), {});
    loop.alerts().show({"Title", "A message for the picture", "Cancel", {"OK"}, {}});
    auto file = t.folder / "shot.png";
    EXPECT_EQ(loop.runScript({wait(0.1), shot(file.string())}), 0);
    std::string whyNot;
    SurfacePointer picture = readPicture(file, whyNot);
    ASSERT_NE(picture, nullptr) << whyNot;
    EXPECT_EQ(picture->w, 640);
    EXPECT_EQ(picture->h, 960);
    EXPECT_NE(loop.runScript({shot("/nonexistent-folder/x.png")}), 0);
}

TEST(WindowLoop, PostedWorkWakesTheSleepingLoop) {
    // SDL's dummy video driver: a window without a display, as in CI.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    EXPECT_FLOAT_EQ(loop.screenSize().width, 320);
    EXPECT_GT(loop.scale(), 0);
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}), {});
    bool ran = false;
    // Nothing animates and no timer is due: the loop sleeps until the other thread's post.
    std::thread other([&] {
        loop.post([&] {
            ran = true;
            loop.quit();
        });
    });
    EXPECT_EQ(loop.run(), 0);
    other.join();
    EXPECT_TRUE(ran);
}

TEST(WindowLoop, TimedWorkEndsTheSleepWhenItFallsDueAndNotBefore) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    std::chrono::steady_clock::time_point ranAt{};
    t.context.mainQueue.postAt(due, [&] {
        ranAt = std::chrono::steady_clock::now();
        loop.quit();
    });
    EXPECT_EQ(loop.run(), 0);
    EXPECT_GE(ranAt, due);
}

TEST(WindowLoop, EachSetOfTouchesThatBeginsIsOneCallInPoints) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    std::vector<Point> touches;
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}),
                    [&](Point p) { touches.push_back(p); });
    int width = 0, height = 0;
    SDL_GetWindowSize(loop.window(), &width, &height);
    ASSERT_GT(width, 0);

    auto press = [](Uint32 which, int x, int y) {
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.which = which;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    };
    // A mouse press that SDL made from a touch is not a second touch.
    press(SDL_TOUCH_MOUSEID, 1, 1);
    press(0, width / 4, height / 2);
    SDL_Event finger{};
    finger.type = SDL_FINGERDOWN;
    finger.tfinger.x = 0.9f;
    finger.tfinger.y = 0.9f;
    SDL_PushEvent(&finger);
    loop.post([&] { loop.quit(); });
    EXPECT_EQ(loop.run(), 0);
    ASSERT_EQ(touches.size(), 1u);
    EXPECT_NEAR(touches[0].x, 80, 1);
    EXPECT_NEAR(touches[0].y, 240, 1);
}

TEST(LandscapeLoop, TouchesBesideTheColumnReachNothing) {
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{true, false, {720, 360}, 2});
    ASSERT_TRUE(loop.open());
    EXPECT_FLOAT_EQ(loop.screenSize().height, 480);
    std::vector<Point> touches;
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}),
                    [&](Point p) { touches.push_back(p); });
    // The column is 240 window points wide, from 240 to 480, at 0.75 points a layout point.
    loop.runScript({tap(239, 300), tap(481, 300), tap(300, 300)});
    ASSERT_EQ(touches.size(), 1u);
    EXPECT_FLOAT_EQ(touches[0].x, 80);
    EXPECT_FLOAT_EQ(touches[0].y, 400);
}

TEST(WindowLoop, AResizedWindowGivesTheContentItsNewLayoutHeight) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 1});
    ASSERT_TRUE(loop.open());
    std::vector<Size> layouts;
    loop.setLayoutChanged([&](Size layout) { layouts.push_back(layout); });
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}), {});
    SDL_SetWindowSize(loop.window(), 360, 720);
    loop.post([&] { loop.quit(); });
    EXPECT_EQ(loop.run(), 0);
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_FLOAT_EQ(layouts[0].width, 320);
    EXPECT_FLOAT_EQ(layouts[0].height, 640);
}

TEST(WindowLoop, OnlyTheQuitKeysQuit) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    auto key = [](SDL_Keycode sym, Uint16 mod) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = sym;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    };
    // Letters without Ctrl are not commands; Ctrl+Q ends the loop with no other quit.
    key(SDLK_q, KMOD_NONE);
    key(SDLK_w, KMOD_LSHIFT);
    bool ranAfter = false;
    loop.post([&] {
        ranAfter = true;
        key(SDLK_q, KMOD_RCTRL);
    });
    EXPECT_EQ(loop.run(), 0);
    EXPECT_TRUE(ranAfter);
}

TEST(WindowLoop, ALostRenderTargetMakesTheAlertsPanelAgain) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestContext t;
    MainLoop loop(t.context.mainLoopParts(), MainLoopOptions{false, false, {320, 480}, 2});
    ASSERT_TRUE(loop.open());
    loop.setContent(std::make_shared<ImageView>(t.context.animator, "view", Rect{0, 0, 320, 480}), {});
    loop.alerts().show({"Title", "Message", "Cancel", {"OK"}, {}});
    bool panelAfterReset = true;
    // The first pass draws the panel; the second handles the reset before its posts run.
    loop.post([&] {
        SDL_Event reset{};
        reset.type = SDL_RENDER_TARGETS_RESET;
        SDL_PushEvent(&reset);
        loop.post([&] {
            panelAfterReset = loop.alerts().hasPanelTexture();
            loop.quit();
        });
    });
    EXPECT_EQ(loop.run(), 0);
    EXPECT_FALSE(panelAfterReset);
    EXPECT_TRUE(loop.alerts().hasPanelTexture()) << "drawn again";
}

TEST(VideoDriver, WaylandIsAskedForWhereADisplayExistsUnlessSdlVideodriverSaysOtherwise) {
    auto valueOf = [](const char* name) { return std::getenv(name) ? std::string(std::getenv(name)) : ""; };
    const std::string driverBefore = valueOf("SDL_VIDEODRIVER"), waylandBefore = valueOf("WAYLAND_DISPLAY");
    auto driver = [] {
        const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
        return std::string(hint ? hint : "");
    };
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    preferWaylandDriver();
    EXPECT_EQ(driver(), "") << "SDL's own choice without Wayland";
    setenv("WAYLAND_DISPLAY", "wayland-9", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    preferWaylandDriver();
    EXPECT_EQ(driver(), "x11");
    unsetenv("SDL_VIDEODRIVER");
    preferWaylandDriver();
    EXPECT_EQ(driver(), "wayland,x11") << "X11 stays the fallback";

    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    unsetenv("WAYLAND_DISPLAY");
    if (!driverBefore.empty())
        setenv("SDL_VIDEODRIVER", driverBefore.c_str(), 1);
    if (!waylandBefore.empty())
        setenv("WAYLAND_DISPLAY", waylandBefore.c_str(), 1);
}
