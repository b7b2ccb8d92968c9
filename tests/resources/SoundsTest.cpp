// The three sound effects as built: real MP3 (mono, 44.1 kHz), decodable by the mixer that plays
// them, of the length each effect is meant to have, audible and not clipped.
#include "BuiltResource.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace torvane::tests;

namespace {

struct Effect {
    std::string name;
    double shortest, longest; // seconds, with the encoder's padding
};

const std::vector<Effect> effects = {
    {"flip_board_2", 0.3, 0.6},   // a soft slide, about 0.4 s
    {"tray_up", 0.4, 0.7},        // an airy lift, about 0.5 s
    {"shrink_cubes_2", 0.05, 0.2} // a crisp click, about 0.1 s
};

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

constexpr int sampleRate = 44100;

// Opens the mixer on SDL's dummy driver, so the test needs no sound card.
class Sounds : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(sampleRate, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
    }
    static void TearDownTestSuite() {
        Mix_CloseAudio();
        SDL_Quit();
    }
};

} // namespace

TEST_F(Sounds, AreMonoMpegLayerThreeAtCDRate) {
    for (const auto& effect : effects) {
        auto bytes = readFile(builtResource(effect.name + ".mp3"));
        ASSERT_GE(bytes.size(), 4u) << effect.name;
        // The first frame header: sync, MPEG-1, Layer III; rate index 0 (44.1 kHz); channel mode 3 (mono).
        EXPECT_EQ(bytes[0], 0xFF) << effect.name;
        EXPECT_EQ(bytes[1] & 0xFE, 0xFA) << effect.name;
        EXPECT_EQ((bytes[2] >> 2) & 0x3, 0) << effect.name;
        EXPECT_EQ(bytes[3] >> 6, 3) << effect.name;
    }
}

TEST_F(Sounds, DecodeToTheirIntendedLengthAudiblyAndWithoutClipping) {
    for (const auto& effect : effects) {
        std::unique_ptr<Mix_Chunk, decltype(&Mix_FreeChunk)> chunk(
            Mix_LoadWAV(builtResource(effect.name + ".mp3").c_str()), &Mix_FreeChunk);
        ASSERT_TRUE(chunk) << effect.name << ": " << Mix_GetError();
        auto samples = chunk->alen / sizeof(std::int16_t);
        double seconds = double(samples) / sampleRate;
        EXPECT_GE(seconds, effect.shortest) << effect.name;
        EXPECT_LE(seconds, effect.longest) << effect.name;

        const auto* pcm = reinterpret_cast<const std::int16_t*>(chunk->abuf);
        int peak = 0;
        for (std::size_t i = 0; i < samples; ++i)
            peak = std::max(peak, std::abs(int(pcm[i])));
        EXPECT_GT(peak, 32767 / 8) << effect.name << " is too quiet to hear";
        EXPECT_LT(peak, 32767 * 95 / 100) << effect.name << " clips";
    }
}
