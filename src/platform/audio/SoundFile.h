#pragma once

// Sound files decoded into the one format the audio device is opened with, so that playing is a
// copy with a volume. WAV is read by SDL; MP3, the effects' format, by libmpg123. SDL converts the
// rate and channels. Nothing else is read: SDL2_mixer would read more, but with its decoders,
// FluidSynth, JACK and GLib it mapped nineteen more libraries before the first sound.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace torvane::platform {

// The device's format: 16-bit stereo at 44.1 kHz, the rate of the effects.
inline constexpr int soundRate = 44100;
inline constexpr int soundChannels = 2;

struct DecodedSound {
    std::vector<std::int16_t> samples; // interleaved, left then right

    [[nodiscard]] std::size_t frames() const { return samples.size() / soundChannels; }
    [[nodiscard]] double seconds() const { return double(frames()) / soundRate; }
};

// The sound of the file at `path`; null, with the reason in `whyNot`, when it cannot be read,
// is neither WAV nor MP3, or holds no sound.
[[nodiscard]] std::shared_ptr<const DecodedSound> decodeSoundFile(const std::string& path,
                                                                  std::string& whyNot);
// The same on a thread beside the main one, where SDL, which is not made for it, is not called:
// only an MP3 file at the device's rate is decoded; any other gives null, for the main thread.
[[nodiscard]] std::shared_ptr<const DecodedSound> decodeSoundFileWithoutSdl(const std::string& path,
                                                                            std::string& whyNot);

} // namespace torvane::platform
