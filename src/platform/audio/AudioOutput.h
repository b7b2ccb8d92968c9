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
// Opening the device is left to a thread of its own: a sound server takes milliseconds to answer,
// and the first sound is asked for before the first frame. Until the device is open the players'
// channels are set as usual and wait; the device starts with them once the main thread takes it
// over (at its next call here or through the main queue). Only `isUsable` waits for the opening.
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

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace torvane::platform {

class AudioOutput : public std::enable_shared_from_this<AudioOutput> {
  public:
    // `toldSilent`, shared by the outputs made one after another: whether the console has been
    // told that there is no device, so that it is told once. Letting the device go is done by
    // work posted to `queue`. Nothing is opened before `open`.
    AudioOutput(Trace& trace, MainQueue& queue, std::shared_ptr<std::atomic<bool>> toldSilent);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Starts opening the device, on a thread of its own.
    void open();
    // Whether sounds can be decoded and played: the device could be opened (waiting for the
    // opening to end). It may be let go while idle and still be usable.
    [[nodiscard]] bool isUsable();
    // Whether sounds may be played, without waiting: the device is being opened or could be.
    [[nodiscard]] bool mayPlay();
    // Whether the device is held right now, or being opened.
    [[nodiscard]] bool isDeviceOpen();
    // A channel of its own for one player, so that players overlap; -1 when silent.
    [[nodiscard]] int allocateChannel();

    // The sound of the file at `path`, decoded once for every player of it; null, with the reason
    // in `whyNot`, when it cannot be read or decoded.
    [[nodiscard]] std::shared_ptr<const DecodedSound> decode(const std::string& path, std::string& whyNot);
    // Plays `sound` on `channel` at `volume` (0 to 1), `loops` times more, opening the device
    // again if it was let go. False when nothing sounds.
    bool play(int channel, const DecodedSound& sound, int loops, float volume);
    [[nodiscard]] bool isPlaying(int channel, const DecodedSound& sound);
    // Changes the volume of what plays on `channel` now.
    void setVolume(int channel, float volume);
    void stop(int channel);

  private:
    using Clock = std::chrono::steady_clock;

    // What the opening thread hands over: the device, or why there is none.
    struct Opening {
        SDL_AudioDeviceID device{0};
        std::string whyNot;
    };

    // The opening's result, once it is there (`wait`: however long it takes), becomes this
    // output's device; the sounds asked for meanwhile start.
    void takeOverOpening(bool wait);
    static Opening openDevice(AudioOutput* output);
    bool reopenDevice();
    void closeDevice();
    // No sooner than `moment`, the device is let go if nothing plays then.
    void letGoAfter(Clock::time_point moment);
    void letGoIfIdle();
    [[nodiscard]] bool anyPlaying() const;
    static void fill(void* output, Uint8* stream, int length);

    Trace& m_trace;
    MainQueue& m_queue;
    std::shared_ptr<std::atomic<bool>> m_toldSilent;
    std::future<Opening> m_opening; // valid while the opening has not been taken over
    SDL_AudioDeviceID m_device{0};  // 0 while being opened or let go
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

    // Starts decoding the sound files at `paths` on a thread of its own, so that the players made
    // of them later find them decoded: the first frame need not wait for them. Once only.
    void decodeAhead(std::vector<std::string> paths);
    // The sound of `path` decoded ahead, once the decoding has ended; null when it was not asked
    // for ahead or could not be decoded (decoding it again tells why).
    [[nodiscard]] std::shared_ptr<const DecodedSound> decodedAhead(const std::string& path);

  private:
    using Sounds = std::map<std::string, std::shared_ptr<const DecodedSound>, std::less<>>;

    Trace& m_trace;
    MainQueue& m_queue;
    std::future<Sounds> m_decoding; // valid until its sounds are taken into m_decodedAhead
    Sounds m_decodedAhead;
    std::mutex m_mutex;
    std::weak_ptr<AudioOutput> m_current;
    // A silent output is reported once, not each time the device is tried again.
    std::shared_ptr<std::atomic<bool>> m_toldSilent = std::make_shared<std::atomic<bool>>(false);
};

} // namespace torvane::platform
