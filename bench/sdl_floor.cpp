// The floor of the start-up benchmark: the least an SDL2 program does to show one frame the way
// Torvane does headless, so that Torvane's start-up is measured against it and not against zero.
//
//   sdl_floor [WIDTHxHEIGHT]     pixels, default 640x1136 (320x568 points at scale 2)
//
// It starts SDL's video on the dummy driver (unless SDL_VIDEODRIVER names another), creates the
// renderer the headless application creates (software, on an offscreen surface at the window's
// pixel size), clears, presents one frame and ends.

#include <SDL.h>

#include <cstdio>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "sdl_floor: %s: %s\n", what, SDL_GetError());
    return 1;
}

// Everything between SDL_Init and SDL_Quit, so that one clean-up path follows it.
int presentOneFrame(int width, int height) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return fail("cannot make the offscreen picture");
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
    if (!renderer) {
        SDL_FreeSurface(surface);
        return fail("cannot draw offscreen");
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int width = 640, height = 1136;
    if (argc > 1 && (std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)) {
        std::fprintf(stderr, "usage: sdl_floor [WIDTHxHEIGHT]\n");
        return 2;
    }
    // As the application: without this SDL's software renderer presents through Mesa.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return fail("cannot start video");
    int status = presentOneFrame(width, height);
    SDL_Quit();
    return status;
}
