#pragma once

// A built picture loaded as 8-bit RGBA pixels, for the tests that look at what was drawn.

#include "BuiltResource.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace torvane::tests {

struct Pixel {
    int r{0}, g{0}, b{0}, a{0};
};

// Sum of the channel differences: 0 for the same colour, 765 for black against white.
inline int colourDistance(Pixel one, Pixel other) {
    return std::abs(one.r - other.r) + std::abs(one.g - other.g) + std::abs(one.b - other.b);
}

class Picture {
  public:
    // An empty picture (width 0) when the file cannot be loaded; IMG_GetError() says why.
    explicit Picture(const std::string& path) {
        std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> loaded(IMG_Load(path.c_str()),
                                                                        &SDL_FreeSurface);
        if (!loaded)
            return;
        hasAlphaChannel_ = loaded->format->Amask != 0;
        surface_.reset(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGBA32, 0));
    }

    [[nodiscard]] bool loaded() const { return surface_ != nullptr; }
    // Whether the file carries alpha at all; SDL blends only pictures that do.
    [[nodiscard]] bool hasAlphaChannel() const { return hasAlphaChannel_; }
    [[nodiscard]] int width() const { return surface_ ? surface_->w : 0; }
    [[nodiscard]] int height() const { return surface_ ? surface_->h : 0; }

    [[nodiscard]] Pixel pixel(int x, int y) const {
        if (!surface_ || x < 0 || y < 0 || x >= surface_->w || y >= surface_->h)
            return {};
        auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + std::ptrdiff_t(y) * surface_->pitch;
        const std::uint8_t* p = row + std::ptrdiff_t(x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    // The pixel that covers the point (x, y), in points, of a picture drawn at SCALE.
    [[nodiscard]] Pixel at(double x, double y, int scale) const {
        return pixel(int(std::floor(x * scale)), int(std::floor(y * scale)));
    }

  private:
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> surface_{nullptr, &SDL_FreeSurface};
    bool hasAlphaChannel_{false};
};

} // namespace torvane::tests
