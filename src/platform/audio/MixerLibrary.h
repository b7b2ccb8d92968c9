#pragma once

// SDL2_mixer, opened when the first audio output is made rather than at start: with its decoders,
// FluidSynth, JACK and GLib it is the largest part of what the dynamic loader would map before the
// first frame. It stays mapped once opened (SharedLibrary::Unloading): the OpenMP runtime that
// FluidSynth pulls in keeps its settings in its own statics.

#include "platform/core/SharedLibrary.h"

#include <SDL_mixer.h>

#include <memory>
#include <string>

namespace torvane::platform {

struct MixerLibrary {
    static constexpr const char* soname = "libSDL2_mixer-2.0.so.0";

    // Null, with the reason in `whyNot`, when the library cannot be loaded.
    [[nodiscard]] static std::shared_ptr<const MixerLibrary> load(std::string& whyNot,
                                                                  const std::string& name = soname);

    decltype(&Mix_Init) init{};
    decltype(&Mix_Quit) quit{};
    decltype(&Mix_OpenAudioDevice) openAudioDevice{};
    decltype(&Mix_CloseAudio) closeAudio{};
    decltype(&Mix_AllocateChannels) allocateChannels{};
    decltype(&Mix_Volume) volume{};
    // Mix_LoadWAV and Mix_PlayChannel are macros over these in older releases.
    decltype(&Mix_LoadWAV_RW) loadWavRw{};
    decltype(&Mix_PlayChannelTimed) playChannelTimed{};
    decltype(&Mix_HaltChannel) haltChannel{};
    decltype(&Mix_Playing) playing{};
    decltype(&Mix_GetChunk) getChunk{};
    decltype(&Mix_FreeChunk) freeChunk{};

    std::shared_ptr<SharedLibrary> library;
};

// Frees a decoded sound through the library that decoded it.
struct ChunkFree {
    decltype(&Mix_FreeChunk) free{};
    void operator()(Mix_Chunk* chunk) const noexcept { free(chunk); }
};
using ChunkPointer = std::unique_ptr<Mix_Chunk, ChunkFree>;

} // namespace torvane::platform
