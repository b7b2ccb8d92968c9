#pragma once

// SDL2_ttf, opened at the first alert that sets text rather than at start: with FreeType and
// HarfBuzz it is a good part of what the dynamic loader would map before the first frame, and most
// starts show no alert. The font engine is started with the library and ended with it, so a font
// opened through it must go before the last reference does.

#include "platform/core/SharedLibrary.h"

#include <SDL_ttf.h>

#include <memory>
#include <string>

namespace torvane::platform {

struct TtfLibrary {
    static constexpr const char* soname = "libSDL2_ttf-2.0.so.0";

    // Null, with the reason in `whyNot`, when the library cannot be loaded or its engine started.
    [[nodiscard]] static std::shared_ptr<const TtfLibrary> load(std::string& whyNot,
                                                                const std::string& name = soname);
    ~TtfLibrary();

    decltype(&TTF_Init) init{};
    decltype(&TTF_Quit) quit{};
    decltype(&TTF_OpenFont) openFont{};
    decltype(&TTF_CloseFont) closeFont{};
    decltype(&TTF_SizeUTF8) sizeUtf8{};
    decltype(&TTF_RenderUTF8_Blended) renderUtf8Blended{};
    decltype(&TTF_FontHeight) fontHeight{};

    std::shared_ptr<SharedLibrary> library;
    bool started{false};
};

// Closes a font through the library that opened it.
struct FontClose {
    decltype(&TTF_CloseFont) close{};
    void operator()(TTF_Font* font) const noexcept { close(font); }
};
using FontPointer = std::unique_ptr<TTF_Font, FontClose>;

} // namespace torvane::platform
