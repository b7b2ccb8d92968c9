#include "platform/view/RendererChoice.h"

#include <SDL.h>

#include <filesystem>
#include <string>

namespace torvane::platform {

namespace {

constexpr unsigned glRendererName = 0x1F01; // GL_RENDERER

// The renderer string of the OpenGL context `renderer` draws with; empty for other back ends.
std::string glRendererOf(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name ||
        std::string_view(info.name).find("opengl") != 0)
        return {};
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(glRendererName) : nullptr;
    return name ? reinterpret_cast<const char*>(name) : std::string();
}

bool hasGpuRenderNode() {
    std::error_code error;
    for (std::filesystem::directory_iterator it("/dev/dri", error), end; !error && it != end;
         it.increment(error))
        if (it->path().filename().string().rfind("renderD", 0) == 0)
            return true;
    return false;
}

} // namespace

bool isSoftwareRasteriser(std::string_view glRenderer) {
    for (std::string_view software : {"llvmpipe", "softpipe", "swrast"})
        if (glRenderer.find(software) != std::string_view::npos)
            return true;
    return false;
}

RendererPointer createWindowRenderer(SDL_Window* window, Trace& trace) {
    RendererPointer renderer;
    // Without a render node Mesa can only rasterise in software; asking it to would load it and
    // start its threads for nothing (they live as long as the display connection).
    if (hasGpuRenderNode())
        renderer.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (renderer && isSoftwareRasteriser(glRendererOf(renderer.get())))
        renderer.reset();
    if (!renderer)
        renderer.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    // SDL's Wayland driver has no window framebuffer for the software renderer to draw into:
    // there, without a GPU, Mesa's rasteriser is the only way to a picture.
    if (!renderer)
        renderer.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (!renderer)
        trace.log(std::string("screen: cannot draw in the window: ") + SDL_GetError());
    return renderer;
}

} // namespace torvane::platform
