#include "WiredStart.h"

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSession.h"
#include "platform/audio/SoundPlayer.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;
using torvane::screen::TorvaneViewController;

namespace {

const std::vector<std::pair<std::string, std::string>> soundOffStore = {{"recorded_install", "TRUE"},
                                                                        {"flashlight_version", "1.6"},
                                                                        {"lens_type", "red"},
                                                                        {"soundfx_on", "FALSE"},
                                                                        {"control_tray_up", "TRUE"}};

std::string played(const std::string& player) {
    return R"("op":"sound.play","player":")" + player + R"("})";
}

std::string click(int slot) {
    return played("audioPlayerPickLensCover[" + std::to_string(slot) + "]");
}

std::string storedLens(const std::string& lens) {
    return R"("op":"settings.set","key":"lens_type","value":")" + lens + R"("})";
}

const std::string synchronised = R"("op":"settings.sync"})";

// Chooses `lens` as the lens buttons do: the name first, then the click.
void chooseLens(TorvaneViewController& controller, const std::string& lens) {
    controller.lensTypeStr = lens;
    controller.playButtonPushSound();
}

// A file of the bundle's name that no decoder takes.
void putUndecodable(const TemporaryFolder& resources, const std::string& fileName) {
    resources.write(fileName, "not a sound at all, only text that says so\n");
}

} // namespace

TEST(Sounds, InitMakesNinePreparedPlayersAfterTheAudioSession) {
    WiredStart start;
    auto controller = start.start("iPhone2,1");
    ASSERT_TRUE(start.context().audio.shared()->isUsable()) << "the dummy driver is a device";

    struct Expected {
        torvane::platform::SoundPlayer* player;
        const char* name;
        float volume;
    };
    for (const Expected& expected : {
             Expected{controller->audioPlayerLowerLensCover.get(), "audioPlayerLowerLensCover", 1.0f},
             Expected{controller->audioPlayerDismissTray.get(), "audioPlayerDismissTray", 1.0f},
             Expected{controller->audioPlayerShowTray.get(), "audioPlayerShowTray", 1.0f},
             Expected{controller->audioPlayerFlipTrayUp.get(), "audioPlayerFlipTrayUp", 0.1f},
             Expected{controller->audioPlayerPickLensCover[0].get(), "audioPlayerPickLensCover[0]", 0.5f},
             Expected{controller->audioPlayerPickLensCover[4].get(), "audioPlayerPickLensCover[4]", 0.5f},
         }) {
        SCOPED_TRACE(expected.name);
        ASSERT_NE(expected.player, nullptr);
        EXPECT_EQ(expected.player->name(), expected.name);
        EXPECT_EQ(expected.player->volume(), expected.volume);
        EXPECT_EQ(expected.player->numberOfLoops(), 0);
        EXPECT_FALSE(expected.player->isPlaying()) << "made, not played";
    }
    for (std::size_t slot = 0; slot < 10; ++slot)
        EXPECT_EQ(controller->audioPlayerPickLensCover[slot] != nullptr, slot < 5) << slot;
    EXPECT_NE(controller->audioPlayerLowerLensCover, controller->audioPlayerDismissTray);
    EXPECT_EQ(controller->x, 5);

    // The audio session is set once, with the category the platform's rule gives, and nothing plays
    // during the start.
    const std::string category = torvane::platform::AudioSession::otherAudioIsPlaying() ? "ambi" : "solo";
    EXPECT_EQ(start.traced({"audio.session", "sound.play"}),
              Lines{R"("op":"audio.session","category":")" + category + R"("})"});
}

TEST(Sounds, SixLensChoicesRotateThroughTheFiveClicksAndStoreEachLens) {
    WiredStart start;
    auto controller = start.start("iPhone2,1");
    const Lines lenses = {"blue", "red", "bulb_1", "green", "yellow", "white"};
    for (const auto& lens : lenses)
        chooseLens(*controller, lens);

    Lines expected;
    const int slots[] = {0, 1, 2, 3, 4, 0};
    for (std::size_t i = 0; i < lenses.size(); ++i) {
        expected.push_back(click(slots[i]));
        expected.push_back(storedLens(lenses[i]));
        expected.push_back(synchronised);
    }
    Lines clicks = start.traced({"sound.play", "settings.set", "settings.sync"});
    // What the start itself seeded comes first.
    ASSERT_GE(clicks.size(), expected.size());
    EXPECT_EQ(Lines(clicks.end() - long(expected.size()), clicks.end()), expected);
    EXPECT_EQ(controller->x, 0);
    EXPECT_EQ(controller->defaults, &start.store());
    EXPECT_EQ(torvane::platform::SettingsStore(start.store().path(), start.context().trace)
                  .stringForKey("lens_type"),
              "white");
}

TEST(Sounds, WithSoundOffClicksAreSilentYetTheRotationAndTheLensGoOn) {
    WiredStart start;
    start.storeBeforehand(soundOffStore);
    auto controller = start.start("iPhone2,1");
    ASSERT_EQ(controller->soundFxOn, 0);
    chooseLens(*controller, "blue");
    chooseLens(*controller, "bulb_5");
    chooseLens(*controller, "green");
    EXPECT_EQ(controller->x, 2);
    EXPECT_EQ(torvane::platform::SettingsStore(start.store().path(), start.context().trace)
                  .stringForKey("lens_type"),
              "green");

    // Sound back on: the next click takes the next slot of the rotation.
    controller->soundFxOn = 1;
    chooseLens(*controller, "yellow");
    EXPECT_EQ(start.traced({"sound.play", "settings.set", "settings.sync"}),
              (Lines{storedLens("blue"), synchronised, storedLens("bulb_5"), synchronised,
                     storedLens("green"), synchronised, click(3), storedLens("yellow"), synchronised}));
}

TEST(Sounds, AnUndecodableSoundLeavesItsPlayersAbsentAndTheRestWorking) {
    TemporaryFolder resources;
    putUndecodable(resources, "tray_up.mp3");
    putUndecodable(resources, "shrink_cubes_2.mp3");
    ScopedVariable bundle("TORVANE_RESOURCES", resources.path().string());
    WiredStart start;
    auto controller = start.start("iPhone2,1");

    EXPECT_FALSE(controller->audioPlayerFlipTrayUp);
    for (std::size_t slot = 0; slot < 5; ++slot)
        EXPECT_FALSE(controller->audioPlayerPickLensCover[slot]) << slot;
    ASSERT_TRUE(controller->audioPlayerLowerLensCover) << "the other file is still found and decoded";
    EXPECT_TRUE(controller->audioPlayerDismissTray);
    EXPECT_TRUE(controller->audioPlayerShowTray);
    EXPECT_EQ(controller->x, 5);

    // A click without its player: silent, but the lens is still stored and the rotation goes on.
    chooseLens(*controller, "red");
    EXPECT_EQ(controller->x, 0);
    EXPECT_EQ(start.traced({"sound.play", "settings.set", "settings.sync"}).back(), synchronised);
    EXPECT_TRUE(start.traced({"sound.play"}).empty());
    EXPECT_EQ(start.store().stringForKey("lens_type"), "red");
    EXPECT_TRUE(controller->audioPlayerLowerLensCover->play());
}

TEST(Sounds, WithoutAnAudioDeviceEveryPlayerIsSilentAndTheScreenWorks) {
    WiredStart start;
    ScopedVariable noDevice("SDL_AUDIODRIVER", "no-such-driver");
    auto controller = start.start("iPhone2,1");
    ASSERT_FALSE(start.context().audio.shared()->isUsable());
    ASSERT_TRUE(controller->audioPlayerPickLensCover[0]) << "a silent player still exists";
    EXPECT_FALSE(controller->audioPlayerPickLensCover[0]->prepareToPlay());

    chooseLens(*controller, "bulb_4");
    chooseLens(*controller, "blue");
    EXPECT_EQ(start.traced({"sound.play"}), (Lines{click(0), click(1)}));
    EXPECT_EQ(start.store().stringForKey("lens_type"), "blue");
    EXPECT_EQ(controller->lensTypeStr, "blue");
}
