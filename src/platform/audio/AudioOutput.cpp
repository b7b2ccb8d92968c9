#include "platform/audio/AudioOutput.h"


#include <SDL.h>
#include <SDL_mixer.h>
#include <mutex>
#include <string>

namespace torvane::platform {

namespace {

constexpr int sampleRate = 44100;
constexpr int channelsOut = 2;
// About 23 ms at 44.1 kHz: short enough that a click follows the touch.
constexpr int bufferFrames = 1024;

} // namespace

std::shared_ptr<AudioOutput> AudioOutputs::shared() {
    std::lock_guard lock(m_mutex);
    if (auto output = m_current.lock())
        return output;
    auto output = std::make_shared<AudioOutput>(m_toldSilent ? nullptr : &m_trace);
    m_toldSilent = m_toldSilent || !output->isOpen();
    m_current = output;
    return output;
}

AudioOutput::AudioOutput(Trace* log) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (log)
            log->log(std::string("sound: no audio device, effects are silent: ") + SDL_GetError());
        return;
    }
    // Every effect is MP3: without its decoder each would fail alone; one line says why.
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0 && log)
        log->log(std::string("sound: no MP3 decoder, effects cannot be played: ") + Mix_GetError());
    if (Mix_OpenAudio(sampleRate, MIX_DEFAULT_FORMAT, channelsOut, bufferFrames) != 0) {
        if (log)
            log->log(std::string("sound: no audio device, effects are silent: ") + Mix_GetError());
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(0);
    m_open = true;
}

AudioOutput::~AudioOutput() {
    if (!m_open)
        return;
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int AudioOutput::allocateChannel() {
    if (!m_open)
        return -1;
    std::lock_guard lock(m_mutex);
    int channel = m_channels++;
    Mix_AllocateChannels(m_channels);
    return channel;
}

} // namespace torvane::platform
