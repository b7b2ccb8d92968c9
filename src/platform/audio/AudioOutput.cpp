#include "platform/audio/AudioOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace torvane::platform {

namespace {

// About 23 ms at 44.1 kHz: short enough that a click follows the touch.
constexpr int bufferFrames = 1024;
// How long the device stays open after the last sound ends: a quick run of touches keeps it.
constexpr auto idleBeforeLettingGo = std::chrono::seconds(1);

int voiceVolume(float volume) {
    return int(std::lround(std::clamp(volume, 0.0f, 1.0f) * maxVoiceVolume));
}

// The channels are the audio thread's while the device runs; a closed device has no thread.
class DeviceLock {
  public:
    explicit DeviceLock(SDL_AudioDeviceID device) : m_device(device) {
        if (m_device)
            SDL_LockAudioDevice(m_device);
    }
    ~DeviceLock() {
        if (m_device)
            SDL_UnlockAudioDevice(m_device);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    SDL_AudioDeviceID m_device;
};

} // namespace

std::shared_ptr<AudioOutput> AudioOutputs::shared() {
    std::lock_guard lock(m_mutex);
    if (auto output = m_current.lock())
        return output;
    auto output = std::make_shared<AudioOutput>(m_trace, m_queue, m_toldSilent);
    output->open();
    m_current = output;
    return output;
}

void AudioOutputs::decodeAhead(std::vector<std::string> paths) {
    if (m_decoding.valid() || !m_decodedAhead.empty())
        return;
    m_decoding = std::async(std::launch::async, [paths = std::move(paths)] {
        Sounds sounds;
        for (const auto& path : paths) {
            std::string whyNot;
            sounds[path] = decodeSoundFileWithoutSdl(path, whyNot);
        }
        return sounds;
    });
}

std::shared_ptr<const DecodedSound> AudioOutputs::decodedAhead(const std::string& path) {
    if (m_decoding.valid())
        m_decodedAhead = m_decoding.get();
    auto found = m_decodedAhead.find(path);
    return found != m_decodedAhead.end() ? found->second : nullptr;
}

AudioOutput::AudioOutput(Trace& trace, MainQueue& queue, std::shared_ptr<std::atomic<bool>> toldSilent)
    : m_trace(trace), m_queue(queue), m_toldSilent(std::move(toldSilent)) {}

AudioOutput::~AudioOutput() {
    if (m_opening.valid()) {
        // Never taken over: a device that came is closed here.
        Opening opening = m_opening.get();
        if (opening.device) {
            SDL_CloseAudioDevice(opening.device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    closeDevice();
}

void AudioOutput::open() {
    if (m_opening.valid() || m_usable)
        return;
    // The thread only opens: this object is handed to SDL as the callback's data, not touched.
    m_opening = std::async(std::launch::async, [this, weak = weak_from_this(), &queue = m_queue] {
        Opening opening = openDevice(this);
        // SDL keeps its error text per thread, and frees it only for the threads it starts.
        SDL_TLSCleanup();
        // Taken over at the main loop's next pass, unless a call here takes it over first.
        queue.post([weak] {
            if (auto output = weak.lock())
                output->takeOverOpening(false);
        });
        return opening;
    });
}

AudioOutput::Opening AudioOutput::openDevice(AudioOutput* output) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return {0, SDL_GetError()};
    // No format change is allowed, so that every opening has the format the sounds were decoded
    // to; SDL converts for a device that wants another.
    SDL_AudioSpec wanted{};
    wanted.freq = soundRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = soundChannels;
    wanted.samples = bufferFrames;
    wanted.callback = &AudioOutput::fill;
    wanted.userdata = output;
    // It starts paused, and plays from the first sound on: its first buffer is then that sound,
    // not a buffer of silence before it. Paused, it never calls `fill`, so until the main thread
    // takes the device over the channels are that thread's alone.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (!device) {
        std::string whyNot = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return {0, whyNot};
    }
    return {device, {}};
}

void AudioOutput::takeOverOpening(bool wait) {
    if (!m_opening.valid() ||
        (!wait && m_opening.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return;
    Opening opening = m_opening.get();
    m_device = opening.device;
    m_usable = m_device != 0;
    if (!m_usable) {
        for (Voice& voice : m_voices)
            voice.sound = nullptr;
        if (!m_toldSilent->exchange(true))
            m_trace.log("sound: no audio device, effects are silent: " + opening.whyNot);
        return;
    }
    if (anyPlaying())
        SDL_PauseAudioDevice(m_device, 0);
    letGoAfter(std::max(m_quietAt, Clock::now()));
}

bool AudioOutput::isUsable() {
    takeOverOpening(true);
    return m_usable;
}

bool AudioOutput::mayPlay() {
    takeOverOpening(false);
    return m_usable || m_opening.valid();
}

bool AudioOutput::isDeviceOpen() {
    takeOverOpening(false);
    return m_device != 0 || m_opening.valid();
}

bool AudioOutput::reopenDevice() {
    if (!m_device)
        m_device = openDevice(this).device;
    return m_device != 0;
}

void AudioOutput::closeDevice() {
    if (!m_device)
        return;
    // Closing waits for the audio thread, so the channels are the main thread's again after it.
    SDL_CloseAudioDevice(std::exchange(m_device, 0));
    for (Voice& voice : m_voices)
        voice.sound = nullptr;
    // The subsystem too: some backends (PulseAudio's) keep a thread of their own while it runs.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOutput::fill(void* output, Uint8* stream, int length) {
    auto& self = *static_cast<AudioOutput*>(output);
    constexpr int frameBytes = soundChannels * int(sizeof(std::int16_t));
    mixVoices(self.m_voices, reinterpret_cast<std::int16_t*>(stream), std::size_t(length / frameBytes));
}

int AudioOutput::allocateChannel() {
    if (!mayPlay())
        return -1;
    DeviceLock lock(m_device);
    m_voices.emplace_back();
    return int(m_voices.size()) - 1;
}

std::shared_ptr<const DecodedSound> AudioOutput::decode(const std::string& path, std::string& whyNot) {
    if (!mayPlay()) {
        whyNot = "no audio device";
        return nullptr;
    }
    auto& known = m_decoded[path];
    auto sound = known.lock();
    if (!sound)
        known = sound = decodeSoundFile(path, whyNot);
    return sound;
}

bool AudioOutput::play(int channel, const DecodedSound& sound, int loops, float volume) {
    if (!mayPlay() || channel < 0 || channel >= int(m_voices.size()))
        return false;
    const bool opening = m_opening.valid();
    if (!opening && !reopenDevice()) {
        // The device went while it was let go (a headset unplugged with no other output, a sound
        // server that stopped): this sound is silent and the next tries again.
        if (!std::exchange(m_toldReopenFailed, true))
            m_trace.log(std::string("sound: the audio device could not be opened again: ") + SDL_GetError());
        return false;
    }
    {
        DeviceLock lock(m_device); // none while opening: the channels are this thread's then
        m_voices[std::size_t(channel)] = {&sound, 0, loops, voiceVolume(volume)};
    }
    if (!opening)
        SDL_PauseAudioDevice(m_device, 0);
    // A sound that loops for ever is looked at again each second while it plays.
    auto once = std::chrono::duration<double>(sound.seconds());
    auto playing = loops < 0 ? std::chrono::duration<double>(idleBeforeLettingGo) : once * (loops + 1);
    m_quietAt = std::max(m_quietAt, Clock::now() + std::chrono::duration_cast<Clock::duration>(playing));
    letGoAfter(m_quietAt);
    return true;
}

bool AudioOutput::isPlaying(int channel, const DecodedSound& sound) {
    if (!isDeviceOpen() || channel < 0 || channel >= int(m_voices.size()))
        return false;
    DeviceLock lock(m_device);
    return m_voices[std::size_t(channel)].sound == &sound;
}

// Neither takes the opening over: until it is taken over the device is paused and the channels
// are this thread's alone, and a player that goes touches nothing but its channel.
void AudioOutput::setVolume(int channel, float volume) {
    if (channel < 0 || channel >= int(m_voices.size()))
        return;
    DeviceLock lock(m_device);
    m_voices[std::size_t(channel)].volume = voiceVolume(volume);
}

void AudioOutput::stop(int channel) {
    if (channel < 0 || channel >= int(m_voices.size()))
        return;
    DeviceLock lock(m_device);
    m_voices[std::size_t(channel)].sound = nullptr;
}

bool AudioOutput::anyPlaying() const {
    DeviceLock lock(m_device);
    return std::any_of(m_voices.begin(), m_voices.end(), [](const Voice& voice) { return voice.sound; });
}

void AudioOutput::letGoAfter(Clock::time_point moment) {
    if (m_letGoPosted)
        return; // the posted check looks again at the latest end
    m_letGoPosted = true;
    m_queue.postAt(moment + idleBeforeLettingGo, [weak = weak_from_this()] {
        if (auto output = weak.lock()) {
            output->m_letGoPosted = false;
            output->letGoIfIdle();
        }
    });
}

void AudioOutput::letGoIfIdle() {
    takeOverOpening(false);
    if (!m_device)
        return;
    auto now = Clock::now();
    if (now < m_quietAt + idleBeforeLettingGo) {
        letGoAfter(m_quietAt);
    } else if (anyPlaying()) {
        m_quietAt = now; // a looping sound, or one the clock's estimate ended too soon
        letGoAfter(m_quietAt);
    } else {
        closeDevice();
    }
}

} // namespace torvane::platform
