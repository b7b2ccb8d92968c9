#include "platform/audio/AudioMixing.h"
#include "platform/audio/AudioSession.h"
#include "platform/audio/SoundPlayer.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace torvane::platform;

namespace {

// A mono 16-bit WAV of a 440 Hz tone.
std::string toneWav(double seconds, std::uint32_t rate = 22050) {
    const auto frames = std::uint32_t(seconds * rate);
    std::string data;
    for (std::uint32_t i = 0; i < frames; ++i) {
        auto sample = std::int16_t(12000 * std::sin(2 * M_PI * 440 * i / rate));
        data.push_back(char(sample & 0xff));
        data.push_back(char((sample >> 8) & 0xff));
    }
    auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + std::uint32_t(data.size())) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) +
           u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" + u32(std::uint32_t(data.size())) + data;
}

// Until the player has played out; the disk driver plays in real time.
void waitUntilSilent(SoundPlayer& player) {
    for (int i = 0; i < 500 && player.isPlaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool hasSound(const std::string& raw) {
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        if (std::abs(std::int16_t(std::uint8_t(raw[i]) | std::uint8_t(raw[i + 1]) << 8)) > 1000)
            return true;
    }
    return false;
}

class Sound : public ::testing::Test {
  protected:
    void useDiskAudio() {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", (folder.path() / "played.raw").c_str(), 1);
    }
    void TearDown() override {
        t.stopTrace();
        ::unsetenv("SDL_AUDIODRIVER");
        ::unsetenv("SDL_DISKAUDIOFILE");
    }

    TestContext t;
    const TemporaryFolder& folder{t.folder};
};

} // namespace

TEST_F(Sound, PlayingWritesTheSoundToTheDeviceAndTracesThePlayer) {
    useDiskAudio();
    auto path = folder.write("tone.wav", toneWav(0.2));
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    {
        auto player =
            SoundPlayer::playerWithContentsOfFile(t.context.audio, path, "audioPlayerPickLensCover[2]");
        ASSERT_TRUE(player);
        ASSERT_TRUE(t.context.audio.shared()->isUsable()) << "the disk driver is an audio device";
        player->setVolume(0.5f);
        player->setNumberOfLoops(0);
        EXPECT_TRUE(player->prepareToPlay());
        EXPECT_TRUE(player->play());
        EXPECT_TRUE(player->isPlaying());
        waitUntilSilent(*player);
        EXPECT_FALSE(player->isPlaying()) << "no loops: plays once";
    } // the last player closes the device, which writes out what was played
    EXPECT_TRUE(hasSound(folder.read("played.raw")));
    t.stopTrace();
    EXPECT_NE(
        folder.read("trace.jsonl").find("\"op\":\"sound.play\",\"player\":\"audioPlayerPickLensCover[2]\"}"),
        std::string::npos);
}

TEST_F(Sound, PlayersOfOneFileOverlapAndReplayDoesNotStop) {
    useDiskAudio();
    auto path = folder.write("tone.wav", toneWav(2.0));
    auto lowerLensCover =
        SoundPlayer::playerWithContentsOfFile(t.context.audio, path, "audioPlayerLowerLensCover");
    auto dismissTray = SoundPlayer::playerWithContentsOfFile(t.context.audio, path, "audioPlayerDismissTray");
    ASSERT_TRUE(lowerLensCover && dismissTray);
    EXPECT_TRUE(lowerLensCover->play());
    EXPECT_TRUE(dismissTray->play());
    EXPECT_TRUE(lowerLensCover->isPlaying());
    EXPECT_TRUE(dismissTray->isPlaying());
    EXPECT_TRUE(lowerLensCover->play());
    EXPECT_TRUE(lowerLensCover->isPlaying());
    lowerLensCover->stop();
    EXPECT_FALSE(lowerLensCover->isPlaying());
    EXPECT_TRUE(dismissTray->isPlaying()) << "stopping one player leaves the other";
}

TEST_F(Sound, DecodesMp3) {
    useDiskAudio();
    folder.write("tone.wav", toneWav(0.3));
    std::string command = "lame --quiet '" + (folder.path() / "tone.wav").string() + "' '" +
                          (folder.path() / "tone.mp3").string() + "'";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "lame is not installed";
    auto player = SoundPlayer::playerWithContentsOfFile(t.context.audio, folder.path() / "tone.mp3",
                                                        "audioPlayerFlipTrayUp");
    ASSERT_TRUE(player);
    EXPECT_TRUE(player->play());
}

// The effects are decoded ahead on a thread of their own, without SDL: a mono MP3 at the device's
// rate comes out as the same stereo sound the main thread makes of it; anything SDL must read or
// convert is left to the main thread.
TEST_F(Sound, DecodedAheadWithoutSdlIsTheSameSound) {
    const std::string wav = folder.write("tone.wav", toneWav(0.3, soundRate));
    const std::string mp3 = folder.path() / "tone.mp3";
    if (std::system(("lame --quiet '" + wav + "' '" + mp3 + "'").c_str()) != 0)
        GTEST_SKIP() << "lame is not installed";
    std::string whyNot;
    auto ahead = decodeSoundFileWithoutSdl(mp3, whyNot);
    auto onMain = decodeSoundFile(mp3, whyNot);
    ASSERT_TRUE(ahead && onMain) << whyNot;
    EXPECT_EQ(ahead->samples, onMain->samples);
    ASSERT_GT(ahead->frames(), 0u);
    for (std::size_t frame = 0; frame < ahead->frames(); ++frame)
        ASSERT_EQ(ahead->samples[frame * 2], ahead->samples[frame * 2 + 1])
            << "mono on both sides, frame " << frame;
    EXPECT_FALSE(decodeSoundFileWithoutSdl(wav, whyNot)) << "WAV is SDL's to read";
    EXPECT_FALSE(decodeSoundFileWithoutSdl(folder.write("low.wav", toneWav(0.1)), whyNot));

    t.context.audio.decodeAhead({mp3, wav});
    auto taken = t.context.audio.decodedAhead(mp3);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->samples, onMain->samples);
    EXPECT_FALSE(t.context.audio.decodedAhead(wav)) << "left to the player, which decodes it itself";
    EXPECT_TRUE(SoundPlayer::playerWithContentsOfFile(t.context.audio, wav, "audioPlayerShowTray"));
}

TEST_F(Sound, IdleDeviceIsLetGoAfterTheLastSoundAndOpenedAgainForTheNext) {
    useDiskAudio();
    auto player = SoundPlayer::playerWithContentsOfFile(
        t.context.audio, folder.write("tone.wav", toneWav(0.2)), "audioPlayerShowTray");
    ASSERT_TRUE(player);
    auto output = t.context.audio.shared();
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(player->play());
    // The main loop's part: run the queue's work as it falls due.
    while (output->isDeviceOpen() && std::chrono::steady_clock::now() - started < std::chrono::seconds(5)) {
        for (auto& work : t.context.mainQueue.takeAll())
            work();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(output->isDeviceOpen());
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1200))
        << "kept for a second after the sound's end";
    EXPECT_FALSE(t.context.mainQueue.nextDue()) << "nothing left to wake the loop";
    EXPECT_FALSE(player->isPlaying());

    ASSERT_TRUE(player->play()) << "the next sound opens the device again";
    EXPECT_TRUE(output->isDeviceOpen());
    EXPECT_TRUE(player->isPlaying());
    waitUntilSilent(*player);
    player.reset();
    output.reset();
    EXPECT_TRUE(hasSound(folder.read("played.raw"))) << "played after the new opening";
}

TEST_F(Sound, MissingOrUnreadableFileGivesNoPlayer) {
    useDiskAudio();
    EXPECT_FALSE(SoundPlayer::playerWithContentsOfFile(t.context.audio, folder.path() / "missing.mp3",
                                                       "audioPlayerShowTray"));
    auto garbage = folder.write("garbage.mp3", "this is not a sound file at all");
    EXPECT_FALSE(SoundPlayer::playerWithContentsOfFile(t.context.audio, garbage, "audioPlayerShowTray"));
    // A good file beside them still plays.
    auto good = SoundPlayer::playerWithContentsOfFile(t.context.audio, folder.write("tone.wav", toneWav(0.1)),
                                                      "audioPlayerShowTray");
    ASSERT_TRUE(good);
    EXPECT_TRUE(good->play());
}

TEST_F(Sound, NoAudioDeviceLeavesEveryPlayerSilentButPresent) {
    ::setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    auto path = folder.write("tone.wav", toneWav(0.1));
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    auto player = SoundPlayer::playerWithContentsOfFile(t.context.audio, path, "audioPlayerLowerLensCover");
    ASSERT_TRUE(player);
    EXPECT_FALSE(t.context.audio.shared()->isUsable());
    player->setVolume(2.0f);
    EXPECT_EQ(player->volume(), 1.0f);
    player->setVolume(-1.0f);
    EXPECT_EQ(player->volume(), 0.0f);
    EXPECT_FALSE(player->prepareToPlay());
    EXPECT_FALSE(player->play());
    EXPECT_FALSE(player->isPlaying());
    EXPECT_FALSE(SoundPlayer::playerWithContentsOfFile(t.context.audio, folder.path() / "missing.mp3",
                                                       "audioPlayerShowTray"));
    // The device is tried again for a player made after the last one went, but not said again.
    player.reset();
    EXPECT_TRUE(SoundPlayer::playerWithContentsOfFile(t.context.audio, path, "audioPlayerShowTray"));
    t.stopTrace();
    auto lines = folder.read("trace.jsonl");
    EXPECT_NE(lines.find("\"player\":\"audioPlayerLowerLensCover\""), std::string::npos)
        << "a silent player's play is still traced";
    auto told = lines.find("sound: no audio device");
    ASSERT_NE(told, std::string::npos) << lines;
    EXPECT_EQ(lines.find("sound: no audio device", told + 1), std::string::npos) << lines;
}

TEST(AudioSession, OtherAudioPlaysWhenAPlaybackStreamRuns) {
    TemporaryFolder asound;
    asound.write("card0/id", "PinePhone\n");
    asound.write("card0/pcm0p/sub0/status", "closed\n");
    asound.write("card0/pcm0c/sub0/status", "state: RUNNING\nowner_pid   : 42\n");
    EXPECT_FALSE(AudioSession::otherAudioIsPlaying(asound.path())) << "a recording is not other audio";
    asound.write("card1/pcm3p/sub0/status", "state: PREPARED\n");
    EXPECT_FALSE(AudioSession::otherAudioIsPlaying(asound.path()));
    asound.write("card1/pcm3p/sub1/status", "state: RUNNING\nowner_pid   : 42\n");
    EXPECT_TRUE(AudioSession::otherAudioIsPlaying(asound.path()));
    EXPECT_FALSE(AudioSession::otherAudioIsPlaying((asound.path() / "missing").string()));
}

TEST(AudioSession, CategoryIsTraced) {
    TestContext t;
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    AudioSession::setCategory(t.context.trace, AudioCategory::SoloAmbientSound);
    AudioSession::setCategory(t.context.trace, AudioCategory::AmbientSound);
    t.stopTrace();
    auto lines = t.folder.read("trace.jsonl");
    auto solo = lines.find("\"op\":\"audio.session\",\"category\":\"solo\"}");
    auto ambi = lines.find("\"op\":\"audio.session\",\"category\":\"ambi\"}");
    EXPECT_NE(solo, std::string::npos) << lines;
    EXPECT_NE(ambi, std::string::npos) << lines;
    EXPECT_LT(solo, ambi);
}

// The audio thread's mixing: loud channels together clip rather than wrap round, a volume scales,
// loops replay the sound the given number of times more and then the channel falls quiet.
TEST(AudioMixing, SumsClipsScalesAndLoops) {
    DecodedSound loud{{30000, -30000, 30000, -30000}}; // two frames
    std::vector<Voice> voices{{&loud, 0, 1, maxVoiceVolume}, {&loud, 0, 0, maxVoiceVolume / 2}};
    std::vector<std::int16_t> out(2 * 6, 1);
    mixVoices(voices, out.data(), 6);
    EXPECT_EQ(out, (std::vector<std::int16_t>{32767, -32768, 32767, -32768, 30000, -30000, 30000, -30000, 0,
                                              0, 0, 0}));
    EXPECT_EQ(voices[0].sound, nullptr);
    EXPECT_EQ(voices[1].sound, nullptr);

    DecodedSound none{};
    std::vector<Voice> forever{{&none, 0, -1, maxVoiceVolume}};
    mixVoices(forever, out.data(), 6);
    EXPECT_EQ(forever[0].sound, nullptr) << "an empty sound looped for ever must not hang the audio thread";
}
