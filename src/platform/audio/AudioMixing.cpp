#include "platform/audio/AudioMixing.h"

#include <algorithm>
#include <array>

namespace torvane::platform {

namespace {

// Adds what `voice` plays over the next `frames` frames to `sum`.
void addVoice(Voice& voice, std::int32_t* sum, std::size_t frames) {
    std::size_t done = 0;
    while (voice.sound && done < frames) {
        const std::size_t length = voice.sound->frames();
        if (length == 0) {
            voice.sound = nullptr;
            break;
        }
        const std::size_t run = std::min(frames - done, length - std::min(voice.frame, length));
        const std::int16_t* from = voice.sound->samples.data() + voice.frame * soundChannels;
        std::int32_t* to = sum + done * soundChannels;
        for (std::size_t i = 0; i < run * soundChannels; ++i)
            to[i] += std::int32_t(from[i]) * voice.volume / maxVoiceVolume;
        done += run;
        voice.frame += run;
        if (voice.frame >= length) {
            voice.frame = 0;
            if (voice.loopsLeft == 0)
                voice.sound = nullptr;
            else if (voice.loopsLeft > 0)
                --voice.loopsLeft;
        }
    }
}

} // namespace

void mixVoices(std::span<Voice> voices, std::int16_t* out, std::size_t frames) {
    constexpr std::size_t block = 512; // frames summed at a time, on the audio thread's stack
    std::array<std::int32_t, block * soundChannels> sum{};
    for (std::size_t start = 0; start < frames; start += block) {
        const std::size_t count = std::min(block, frames - start);
        std::fill_n(sum.begin(), count * soundChannels, 0);
        for (Voice& voice : voices)
            addVoice(voice, sum.data(), count);
        for (std::size_t i = 0; i < count * soundChannels; ++i)
            out[start * soundChannels + i] =
                std::int16_t(std::clamp<std::int32_t>(sum[i], INT16_MIN, INT16_MAX));
    }
}

} // namespace torvane::platform
