#include "WiredStart.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using Lines = std::vector<std::string>;

namespace {

// A Linux phone's model string is its kernel's machine name: of the LED class.
constexpr const char* ledClassModel = "aarch64";

const std::string sessionCreated = R"("op":"capture.session","event":"create"})";
const std::string sessionCommitted = R"("op":"capture.session","event":"commit"})";
const std::string sessionStarted = R"("op":"capture.session","event":"start"})";
const std::string ledOn = R"("op":"led","torch":1,"flash":1})";
const std::string ledOff = R"("op":"led","torch":0,"flash":0})";

// Makes `name`'s brightness impossible to open for writing. Root may write any file, so for root
// it becomes a folder; logind's way is absent here or refuses a made-up LED.
void refuseWrites(const TemporaryFolder& tree, const std::string& name) {
    auto brightness = tree.path() / name / "brightness";
    if (::geteuid() != 0) {
        std::filesystem::permissions(brightness, std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::others_read);
        return;
    }
    std::filesystem::remove(brightness);
    std::filesystem::create_directory(brightness);
}

// What the refused LED holds: its brightness text, or "folder" for root's stand-in.
std::string refusedState(const TemporaryFolder& tree, const std::string& name) {
    if (std::filesystem::is_directory(tree.path() / name / "brightness"))
        return std::filesystem::is_empty(tree.path() / name / "brightness") ? "folder" : "written";
    return brightnessOf(tree, name);
}

} // namespace

TEST(Torch, TheStartLightsTheTorchBeforeItsSessionRunsAndBeforeTheSound) {
    WiredStart start;
    makeOnePlus6(start.leds());
    auto controller = start.start(ledClassModel);

    EXPECT_EQ(brightnessOf(start.leds(), "white:flash"), "511");
    EXPECT_EQ(brightnessOf(start.leds(), "yellow:flash"), "0");
    EXPECT_EQ(controller->iPhone4LedIsOn, 1);
    EXPECT_EQ(controller->iphoneLEDInit, 1);
    ASSERT_TRUE(controller->session);
    EXPECT_EQ(controller->torchSession(), controller->session);
    EXPECT_TRUE(controller->session->isRunning());
    ASSERT_EQ(controller->session->inputs().size(), 1u);
    EXPECT_EQ(controller->session->inputs()[0].led.name, "white:flash");
    EXPECT_EQ(controller->session->outputCount(), 1u);

    auto torch = start.traced({"led", "capture.session", "audio.session"});
    ASSERT_EQ(torch.size(), 5u);
    EXPECT_EQ(Lines(torch.begin(), torch.begin() + 4),
              (Lines{sessionCreated, ledOn, sessionCommitted, sessionStarted}));
    EXPECT_EQ(torch[4].rfind(R"("op":"audio.session")", 0), 0u);
}

TEST(Torch, LaterTogglesSwitchOffAndOnAgainWithTheSameSession) {
    WiredStart start;
    makeLibrem5(start.leds());
    auto controller = start.start(ledClassModel);
    ASSERT_EQ(brightnessOf(start.leds(), "lm3560:torch"), "255");
    auto session = controller->session;

    controller->iPhone4LedToggle();
    EXPECT_EQ(brightnessOf(start.leds(), "lm3560:torch"), "0");
    EXPECT_EQ(controller->iPhone4LedIsOn, 0);
    EXPECT_EQ(controller->iphoneLEDInit, 1);
    EXPECT_TRUE(session->isRunning()) << "switching off leaves the session alone";

    controller->iPhone4LedToggle();
    EXPECT_EQ(brightnessOf(start.leds(), "lm3560:torch"), "255");
    EXPECT_EQ(controller->iPhone4LedIsOn, 1);
    EXPECT_EQ(controller->session, session);
    EXPECT_EQ(controller->torchSession(), session);
    EXPECT_EQ(brightnessOf(start.leds(), "lm3560:flash"), "0") << "the flash is never strobed";

    EXPECT_EQ(start.traced({"led", "capture.session"}),
              (Lines{sessionCreated, ledOn, sessionCommitted, sessionStarted, ledOff, ledOn}));
}

TEST(Torch, AnotherClassOfDeviceOrNoSessionsTouchesNothing) {
    struct Case {
        const char* label;
        std::optional<std::string> machine;
        bool captureSessions;
    };
    for (const Case& device :
         {Case{"iPhone2 model", "iPhone2,1", true}, Case{"no model string", std::nullopt, true},
          Case{"no capture sessions", ledClassModel, false}}) {
        SCOPED_TRACE(device.label);
        WiredStart start;
        makePinePhone(start.leds());
        auto controller = start.start(device.machine, device.captureSessions);
        controller->iPhone4LedToggle();
        controller->iPhone4LedToggle();
        EXPECT_EQ(brightnessOf(start.leds(), "white:flash"), "0");
        EXPECT_EQ(controller->iPhone4LedIsOn, 0);
        EXPECT_EQ(controller->iphoneLEDInit, 0);
        EXPECT_FALSE(controller->session);
        EXPECT_FALSE(controller->torchSession());
        EXPECT_TRUE(start.traced({"led", "capture.session"}).empty());
    }
}

TEST(Torch, WithoutAnLedThatIsTorchAndFlashTheSessionIsBegunButNeverRuns) {
    for (bool torchOnly : {false, true}) {
        SCOPED_TRACE(torchOnly ? "a torch LED outside the flash class" : "no LED at all");
        WiredStart start;
        if (torchOnly)
            addLed(start.leds(), "white:torch", 255, FlashClass::No);
        auto controller = start.start(ledClassModel);
        EXPECT_EQ(controller->iPhone4LedIsOn, 1) << "the flags follow the call all the same";
        EXPECT_EQ(controller->iphoneLEDInit, 1);
        ASSERT_TRUE(controller->session);
        EXPECT_EQ(controller->torchSession(), controller->session);
        EXPECT_TRUE(controller->session->isConfiguring());
        EXPECT_FALSE(controller->session->isRunning());
        EXPECT_EQ(start.traced({"led", "capture.session"}), Lines{sessionCreated});
        if (torchOnly) {
            EXPECT_EQ(brightnessOf(start.leds(), "white:torch"), "0");
        }
    }
}

TEST(Torch, ARefusedLockLeavesTheLedAsItWasAndTheStartGoesOn) {
    WiredStart start;
    makePinePhone(start.leds());
    refuseWrites(start.leds(), "white:flash");
    const std::string before = refusedState(start.leds(), "white:flash");

    auto controller = start.start(ledClassModel);
    EXPECT_EQ(refusedState(start.leds(), "white:flash"), before);
    EXPECT_EQ(controller->iPhone4LedIsOn, 1);
    controller->iPhone4LedToggle();
    controller->iPhone4LedToggle();
    EXPECT_EQ(refusedState(start.leds(), "white:flash"), before);
    EXPECT_EQ(controller->iPhone4LedIsOn, 1);

    // The rest of the start ran: players made, choices seeded.
    EXPECT_EQ(controller->x, 5);
    EXPECT_EQ(controller->lensTypeStr, "white");
    EXPECT_EQ(start.store().stringForKey("flashlight_version"), "1.6");
}
