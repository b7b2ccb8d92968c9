#pragma once

// What the audio device's thread does each buffer: every playing channel's sound, at its volume,
// summed and clipped into the device's 16-bit stereo. A plain function on plain data, so that it
// is tested without a device.

#include "platform/audio/SoundFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace torvane::platform {

inline constexpr int maxVoiceVolume = 128;

// One channel of the output. A channel does not own its sound: the player that started it stops
// it before the sound goes.
struct Voice {
    const DecodedSound* sound{nullptr}; // null: the channel is quiet
    std::size_t frame{0};               // the next frame to play
    int loopsLeft{0};                   // times more after this one; negative: until stopped
    int volume{maxVoiceVolume};         // 0 to maxVoiceVolume
};

// Fills `out`, `frames` stereo frames, with the voices' sounds, moving each voice on; a voice
// that reaches its sound's end starts it again while it has loops left, and is quiet after.
void mixVoices(std::span<Voice> voices, std::int16_t* out, std::size_t frames);

} // namespace torvane::platform
