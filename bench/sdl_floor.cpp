// The floor of the start-up benchmark: the least an SDL2 program does to show one frame the way
// Torvane does headless, so that Torvane's start-up is measured against it and not against zero.
//
//   sdl_floor [WIDTHxHEIGHT]           pixels, default 640x1136 (320x568 points at scale 2)
//   sdl_floor --window [WIDTHxHEIGHT]  the window in pixels, default 640x1136
//
// Headless, it starts SDL's video on the dummy driver (unless SDL_VIDEODRIVER names another),
// creates the renderer the headless application creates (software, on an offscreen surface at the
// window's pixel size), clears, presents one frame and ends. With --window it shows one white
// frame the way the application's window does where there is no GPU (a centred window of the
// size the application opens on a large enough desktop, SDL's software renderer), then waits for SIGTERM or
// the window's closing, so that whoever measures can see the frame on the screen.

#include <SDL.h>

#include <cstdio>
#include <cstring>

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

int showOneFrameInAWindow(int width, int height) {
    SDL_Window* window = SDL_CreateWindow("sdl_floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_SHOWN);
    if (!window)
        return fail("cannot open a window");
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        SDL_DestroyWindow(window);
        return fail("cannot draw in the window");
    }
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_Event event;
    while (SDL_WaitEventTimeout(&event, 30'000) == 1 && event.type != SDL_QUIT) {
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool inWindow = argc > 1 && std::strcmp(argv[1], "--window") == 0;
    const char* size = argc > (inWindow ? 2 : 1) ? argv[inWindow ? 2 : 1] : nullptr;
    int width = 640, height = 1136;
    if (size && (std::sscanf(size, "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)) {
        std::fprintf(stderr, "usage: sdl_floor [--window] [WIDTHxHEIGHT]\n");
        return 2;
    }
    // As the application: without this SDL's software renderer presents through Mesa.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!inWindow)
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return fail("cannot start video");
    int status = inWindow ? showOneFrameInAWindow(width, height) : presentOneFrame(width, height);
    SDL_Quit();
    return status;
}
