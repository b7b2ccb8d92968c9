#include "platform/audio/MixerLibrary.h"

namespace torvane::platform {

std::shared_ptr<const MixerLibrary> MixerLibrary::load(std::string& whyNot, const std::string& name) {
    auto mix = std::make_shared<MixerLibrary>();
    mix->library = SharedLibrary::open(name, whyNot, SharedLibrary::Unloading::KeepMapped);
    if (!mix->library)
        return nullptr;
    const auto& lib = *mix->library;
    bool found =
        lib.find("Mix_Init", mix->init, whyNot) && lib.find("Mix_Quit", mix->quit, whyNot) &&
        lib.find("Mix_OpenAudioDevice", mix->openAudioDevice, whyNot) &&
        lib.find("Mix_CloseAudio", mix->closeAudio, whyNot) &&
        lib.find("Mix_AllocateChannels", mix->allocateChannels, whyNot) &&
        lib.find("Mix_Volume", mix->volume, whyNot) && lib.find("Mix_LoadWAV_RW", mix->loadWavRw, whyNot) &&
        lib.find("Mix_PlayChannelTimed", mix->playChannelTimed, whyNot) &&
        lib.find("Mix_HaltChannel", mix->haltChannel, whyNot) &&
        lib.find("Mix_Playing", mix->playing, whyNot) && lib.find("Mix_GetChunk", mix->getChunk, whyNot) &&
        lib.find("Mix_FreeChunk", mix->freeChunk, whyNot);
    return found ? mix : nullptr;
}

} // namespace torvane::platform
