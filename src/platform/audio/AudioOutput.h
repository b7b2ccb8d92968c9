#pragma once

// The audio device, opened with SDL2_mixer and shared by every sound player; it closes when the
// last player goes. `AudioOutputs` hands out the open one, or opens it anew, and loads SDL2_mixer
// for the first (MixerLibrary.h). No audio device (a server, CI: SDL's open fails there with an
// ALSA error) is a state, and so is no SDL2_mixer: the output exists but is silent, and one
// console line says so.
//
// An open device costs a phone's battery even when it plays nothing: SDL's audio thread wakes for
// every buffer, about 43 times a second. So the device is let go a second after the last sound
// ends and opened again, in the same format, for the next one; the decoded sounds and the
// players' channels outlive it. Opening takes a few milliseconds, well under a buffer's worth of
// delay a finger could notice.

#include "platform/audio/MixerLibrary.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Trace.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace torvane::platform {

class AudioOutput : public std::enable_shared_from_this<AudioOutput> {
  public:
    // Opens the device with `mixer`; when it cannot, says why on the console unless `quiet`.
    // Without `mixer` the output is silent, and says nothing. Letting the device go is done by
    // work posted to `queue`.
    AudioOutput(Trace& trace, MainQueue& queue, std::shared_ptr<const MixerLibrary> mixer, bool quiet);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Whether sounds can be decoded and played: the device could be opened. It may be let go
    // while idle and still be usable.
    [[nodiscard]] bool isUsable() const { return m_usable; }
    // Whether the device is held right now.
    [[nodiscard]] bool isDeviceOpen() const { return m_deviceOpen; }
    // A mixer channel of its own for one player, so that players overlap; -1 when silent.
    [[nodiscard]] int allocateChannel();

    // The device held for decoding (SDL2_mixer converts to the device's format as it loads); it
    // is let go once idle. False when it cannot be opened.
    bool holdForDecoding();
    // The sound of the file at `path` in the device's format; null, with SDL's error set, when it
    // cannot be read or decoded. Call while the device is held for decoding.
    [[nodiscard]] ChunkPointer decode(const std::string& path);
    // Plays `chunk` on `channel` at `volume` (0 to 1), `loops` times more, opening the device
    // again if it was let go. False when nothing sounds.
    bool play(int channel, Mix_Chunk& chunk, int loops, float volume);
    [[nodiscard]] bool isPlaying(int channel, const Mix_Chunk& chunk) const;
    // Changes the volume of what plays on `channel` now.
    void setVolume(int channel, float volume);
    void stop(int channel);

  private:
    using Clock = std::chrono::steady_clock;

    bool openDevice();
    void closeDevice();
    // No sooner than `moment`, the device is let go if nothing plays then.
    void letGoAfter(Clock::time_point moment);
    void letGoIfIdle();

    Trace& m_trace;
    MainQueue& m_queue;
    std::shared_ptr<const MixerLibrary> m_mixer; // null: silent
    bool m_usable{false};
    bool m_deviceOpen{false};
    bool m_toldReopenFailed{false};
    int m_channels{0};
    // When the last sound started so far ends; the device is kept until a second after it.
    Clock::time_point m_quietAt{};
    bool m_letGoPosted{false};
};

class AudioOutputs {
  public:
    // `mixerSoname` is SDL2_mixer's; a test names one that cannot be found.
    AudioOutputs(Trace& trace, MainQueue& queue, std::string mixerSoname = MixerLibrary::soname)
        : m_trace(trace), m_queue(queue), m_mixerSoname(std::move(mixerSoname)) {}

    // The open output, or a new one when none is held by a player.
    [[nodiscard]] std::shared_ptr<AudioOutput> shared();
    [[nodiscard]] Trace& trace() const { return m_trace; }

  private:
    Trace& m_trace;
    MainQueue& m_queue;
    std::string m_mixerSoname;
    std::mutex m_mutex;
    // Loaded for the first output, and shared by every output after it.
    std::shared_ptr<const MixerLibrary> m_mixer;
    bool m_mixerTried{false};
    std::weak_ptr<AudioOutput> m_current;
    // A silent output is reported once, not each time the device is tried again.
    bool m_toldSilent{false};
};

} // namespace torvane::platform
