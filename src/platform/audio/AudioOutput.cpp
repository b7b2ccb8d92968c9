#include "platform/audio/AudioOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace torvane::platform {

namespace {

constexpr int sampleRate = 44100;
constexpr int channelsOut = 2;
constexpr int bytesPerFrame = channelsOut * 2; // MIX_DEFAULT_FORMAT is 16-bit
// About 23 ms at 44.1 kHz: short enough that a click follows the touch.
constexpr int bufferFrames = 1024;
// How long the device stays open after the last sound ends: a quick run of touches keeps it.
constexpr auto idleBeforeLettingGo = std::chrono::seconds(1);

// No format change is allowed, so that every opening has the format the sounds were decoded to;
// SDL converts for a device that wants another.
bool openMixerDevice(const MixerLibrary& mixer) {
    return mixer.openAudioDevice(sampleRate, MIX_DEFAULT_FORMAT, channelsOut, bufferFrames, nullptr, 0) == 0;
}

int mixerVolume(float volume) {
    return int(std::lround(std::clamp(volume, 0.0f, 1.0f) * MIX_MAX_VOLUME));
}

} // namespace

std::shared_ptr<AudioOutput> AudioOutputs::shared() {
    std::lock_guard lock(m_mutex);
    if (auto output = m_current.lock())
        return output;
    if (!std::exchange(m_mixerTried, true)) {
        std::string whyNot;
        m_mixer = MixerLibrary::load(whyNot, m_mixerSoname);
        if (!m_mixer && !std::exchange(m_toldSilent, true))
            m_trace.log("sound: no mixer, effects are silent: " + whyNot);
    }
    auto output = std::make_shared<AudioOutput>(m_trace, m_queue, m_mixer, m_toldSilent);
    m_toldSilent = m_toldSilent || !output->isUsable();
    m_current = output;
    return output;
}

AudioOutput::AudioOutput(Trace& trace, MainQueue& queue, std::shared_ptr<const MixerLibrary> mixer,
                         bool quiet)
    : m_trace(trace), m_queue(queue), m_mixer(std::move(mixer)) {
    if (!m_mixer)
        return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (!quiet)
            m_trace.log(std::string("sound: no audio device, effects are silent: ") + SDL_GetError());
        return;
    }
    // Every effect is MP3: without its decoder each would fail alone; one line says why.
    if ((m_mixer->init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0 && !quiet)
        m_trace.log(std::string("sound: no MP3 decoder, effects cannot be played: ") + Mix_GetError());
    if (!openMixerDevice(*m_mixer)) {
        if (!quiet)
            m_trace.log(std::string("sound: no audio device, effects are silent: ") + Mix_GetError());
        m_mixer->quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    m_mixer->allocateChannels(0);
    m_usable = true;
    m_deviceOpen = true;
}

AudioOutput::~AudioOutput() {
    if (!m_usable)
        return;
    closeDevice();
    m_mixer->quit();
}

bool AudioOutput::openDevice() {
    if (m_deviceOpen)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || !openMixerDevice(*m_mixer)) {
        // The device went while it was let go (a headset unplugged with no other output, a sound
        // server that stopped): this sound is silent and the next tries again.
        if (!m_toldReopenFailed)
            m_trace.log(std::string("sound: the audio device could not be opened again: ") + SDL_GetError());
        m_toldReopenFailed = true;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // A new opening starts with the mixer's default channels at full volume.
    m_mixer->allocateChannels(m_channels);
    m_deviceOpen = true;
    return true;
}

void AudioOutput::closeDevice() {
    if (!m_deviceOpen)
        return;
    m_mixer->haltChannel(-1);
    m_mixer->closeAudio();
    // The subsystem too: some backends (PulseAudio's) keep a thread of their own while it runs.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_deviceOpen = false;
}

int AudioOutput::allocateChannel() {
    if (!m_usable)
        return -1;
    int channel = m_channels++;
    if (m_deviceOpen)
        m_mixer->allocateChannels(m_channels);
    return channel;
}

bool AudioOutput::holdForDecoding() {
    if (!m_usable || !openDevice())
        return false;
    letGoAfter(std::max(m_quietAt, Clock::now()));
    return true;
}

ChunkPointer AudioOutput::decode(const std::string& path) {
    if (!m_usable)
        return nullptr;
    // The stream is closed by the mixer whether or not it decodes (its last argument).
    return ChunkPointer(m_mixer->loadWavRw(SDL_RWFromFile(path.c_str(), "rb"), 1), {m_mixer->freeChunk});
}

bool AudioOutput::play(int channel, Mix_Chunk& chunk, int loops, float volume) {
    if (!m_usable || channel < 0 || channel >= m_channels || !openDevice())
        return false;
    m_mixer->volume(channel, mixerVolume(volume));
    if (m_mixer->playChannelTimed(channel, &chunk, loops, -1) < 0)
        return false;
    // A sound that loops for ever is looked at again each second while it plays.
    auto once = std::chrono::duration<double>(double(chunk.alen) / (sampleRate * bytesPerFrame));
    auto playing = loops < 0 ? std::chrono::duration<double>(idleBeforeLettingGo) : once * (loops + 1);
    m_quietAt = std::max(m_quietAt, Clock::now() + std::chrono::duration_cast<Clock::duration>(playing));
    letGoAfter(m_quietAt);
    return true;
}

bool AudioOutput::isPlaying(int channel, const Mix_Chunk& chunk) const {
    return m_deviceOpen && channel >= 0 && channel < m_channels && m_mixer->playing(channel) != 0 &&
           m_mixer->getChunk(channel) == &chunk;
}

void AudioOutput::setVolume(int channel, float volume) {
    if (m_deviceOpen && channel >= 0 && channel < m_channels)
        m_mixer->volume(channel, mixerVolume(volume));
}

void AudioOutput::stop(int channel) {
    if (m_deviceOpen && channel >= 0 && channel < m_channels)
        m_mixer->haltChannel(channel);
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
    if (!m_deviceOpen)
        return;
    auto now = Clock::now();
    if (now < m_quietAt + idleBeforeLettingGo) {
        letGoAfter(m_quietAt);
    } else if (m_mixer->playing(-1) > 0) {
        m_quietAt = now; // a looping sound, or one the clock's estimate ended too soon
        letGoAfter(m_quietAt);
    } else {
        closeDevice();
    }
}

} // namespace torvane::platform
