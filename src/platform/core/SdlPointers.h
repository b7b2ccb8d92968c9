#pragma once

// Owners of the objects that SDL and its companion libraries hand out, so that each is freed once,
// by the function its library pairs with it, whichever way the owner goes. The fonts' library is
// opened at run time, so its objects are freed through the loaded function instead (`FontPointer`
// in alert/TtfLibrary.h).

#include <SDL.h>

#include <memory>

namespace torvane::platform {

template <auto free>
struct SdlDeleter {
    template <typename Object>
    void operator()(Object* object) const noexcept {
        free(object);
    }
};

using WindowPointer = std::unique_ptr<SDL_Window, SdlDeleter<SDL_DestroyWindow>>;
using RendererPointer = std::unique_ptr<SDL_Renderer, SdlDeleter<SDL_DestroyRenderer>>;
using TexturePointer = std::unique_ptr<SDL_Texture, SdlDeleter<SDL_DestroyTexture>>;
using SurfacePointer = std::unique_ptr<SDL_Surface, SdlDeleter<SDL_FreeSurface>>;

} // namespace torvane::platform
