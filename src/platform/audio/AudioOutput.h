#pragma once

// The audio device, shared by every sound player; it closes when the last player goes.
// `AudioOutputs` hands out the open one, or opens it anew. No audio device (a server, CI: SDL's
// open fails there with an ALSA error) is a state: the output exists but is silent, and one
// console line says so.
//
// The device plays what `mixVoices` makes of its channels, one per player (AudioMixing.h), in the
// format the sounds are decoded to (SoundFile.h). The channels are changed only under the
// device's lock.
//
// An open device costs a phone's battery even when it plays nothing: SDL's audio thread wakes for
// every buffer, about 43 times a second. So the device is let go a second after the last sound
// ends and opened again, in the same format, for the next one; the decoded sounds and the
// players' channels outlive it. Opening takes a few milliseconds, well under a buffer's worth of
// delay a finger could notice.

#include "platform/audio/AudioMixing.h"
#include "platform/audio/SoundFile.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Trace.h"

#include <SDL_audio.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace torvane::platform {

class AudioOutput : public std::enable_shared_from_this<AudioOutput> {
  public:
    // Opens the device; when it cannot, says why on the console unless `quiet`. Letting the
    // device go is done by work posted to `queue`.
    AudioOutput(Trace& trace, MainQueue& queue, bool quiet);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Whether sounds can be decoded and played: the device could be opened. It may be let go
    // while idle and still be usable.
    [[nodiscard]] bool isUsable() const { return m_usable; }
    // Whether the device is held right now.
    [[nodiscard]] bool isDeviceOpen() const { return m_device != 0; }
    // A channel of its own for one player, so that players overlap; -1 when silent.
    [[nodiscard]] int allocateChannel();

    // The sound of the file at `path`, decoded once for every player of it; null, with the reason
    // in `whyNot`, when it cannot be read or decoded.
    [[nodiscard]] std::shared_ptr<const DecodedSound> decode(const std::string& path, std::string& whyNot);
    // Plays `sound` on `channel` at `volume` (0 to 1), `loops` times more, opening the device
    // again if it was let go. False when nothing sounds.
    bool play(int channel, const DecodedSound& sound, int loops, float volume);
    [[nodiscard]] bool isPlaying(int channel, const DecodedSound& sound) const;
    // Changes the volume of what plays on `channel` now.
    void setVolume(int channel, float volume);
    void stop(int channel);
    // Lets the device go once nothing has played for a while.
    void letGoWhenIdle();

  private:
    using Clock = std::chrono::steady_clock;

    bool openDevice();
    void closeDevice();
    // No sooner than `moment`, the device is let go if nothing plays then.
    void letGoAfter(Clock::time_point moment);
    void letGoIfIdle();
    [[nodiscard]] bool anyPlaying() const;
    static void fill(void* output, Uint8* stream, int length);

    Trace& m_trace;
    MainQueue& m_queue;
    SDL_AudioDeviceID m_device{0}; // 0 while let go
    bool m_usable{false};
    bool m_toldReopenFailed{false};
    std::vector<Voice> m_voices; // one per channel; the audio thread's while the device runs
    std::map<std::string, std::weak_ptr<const DecodedSound>, std::less<>> m_decoded;
    // When the last sound started so far ends; the device is kept until a second after it.
    Clock::time_point m_quietAt{};
    bool m_letGoPosted{false};
};

class AudioOutputs {
  public:
    AudioOutputs(Trace& trace, MainQueue& queue) : m_trace(trace), m_queue(queue) {}

    // The open output, or a new one when none is held by a player.
    [[nodiscard]] std::shared_ptr<AudioOutput> shared();
    [[nodiscard]] Trace& trace() const { return m_trace; }

  private:
    Trace& m_trace;
    MainQueue& m_queue;
    std::mutex m_mutex;
    std::weak_ptr<AudioOutput> m_current;
    // A silent output is reported once, not each time the device is tried again.
    bool m_toldSilent{false};
};

} // namespace torvane::platform
