#include "platform/alert/TtfLibrary.h"

#include <SDL.h>

namespace torvane::platform {

std::shared_ptr<const TtfLibrary> TtfLibrary::load(std::string& whyNot, const std::string& name) {
    auto ttf = std::make_shared<TtfLibrary>();
    ttf->library = SharedLibrary::open(name, whyNot);
    if (!ttf->library)
        return nullptr;
    const auto& lib = *ttf->library;
    bool found = lib.find("TTF_Init", ttf->init, whyNot) && lib.find("TTF_Quit", ttf->quit, whyNot) &&
                 lib.find("TTF_OpenFont", ttf->openFont, whyNot) &&
                 lib.find("TTF_CloseFont", ttf->closeFont, whyNot) &&
                 lib.find("TTF_SizeUTF8", ttf->sizeUtf8, whyNot) &&
                 lib.find("TTF_RenderUTF8_Blended", ttf->renderUtf8Blended, whyNot) &&
                 lib.find("TTF_FontHeight", ttf->fontHeight, whyNot);
    if (!found)
        return nullptr;
    if (ttf->init() != 0) {
        whyNot = SDL_GetError();
        return nullptr;
    }
    ttf->started = true;
    return ttf;
}

TtfLibrary::~TtfLibrary() {
    if (started)
        quit();
}

} // namespace torvane::platform
