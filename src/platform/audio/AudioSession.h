#pragma once

// The application's audio session (the role of AudioToolbox's AudioSession): whether other audio
// is playing, and the category chosen from it.
//
// On Linux both categories mix with other audio: the sound server (PipeWire, PulseAudio) plays
// every client at once and has no "solo" category. The category is recorded in the trace
// (`audio.session`) so that the choice stays visible.

#include "platform/core/Trace.h"

#include <string>

namespace torvane::platform {

inline constexpr const char* defaultAsoundRoot = "/proc/asound";

enum class AudioCategory {
    AmbientSound,     // 'ambi': mixes with other audio
    SoloAmbientSound, // 'solo': on iOS, silences other audio; on Linux, mixes all the same
};

// "ambi" or "solo", the four-character codes that the trace shows.
[[nodiscard]] const char* audioCategoryCode(AudioCategory category);

struct AudioSession {
    // The 'othr' query: true when a sound card plays something now, that is when one of its
    // playback streams is running (ALSA's status under /proc/asound). False when that cannot be
    // told; the application then takes 'solo', which on Linux mixes anyway.
    [[nodiscard]] static bool otherAudioIsPlaying(const std::string& asoundRoot = defaultAsoundRoot);

    // Traces `audio.session` {category}.
    static void setCategory(Trace& trace, AudioCategory category);
    static void setActive(bool active);
};

} // namespace torvane::platform
