#include "platform/view/PngFile.h"

#include <SDL.h>
#include <png.h>

#include <limits>
#include <memory>
#include <utility>

namespace torvane::platform {

namespace {

// Frees what libpng holds for the image on every path out, read or write, failed or not.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    [[nodiscard]] std::string message() const { return image.message[0] ? image.message : "not a PNG file"; }
};

// The byte order BGRA in memory, whatever the machine's word order: SDL_PIXELFORMAT_BGRA32.
constexpr auto bgraFormat = PNG_FORMAT_BGRA;

} // namespace

PngPicture readPng(const std::string& path, std::string& whyNot) {
    PngImage png;
    if (!png_image_begin_read_from_file(&png.image, path.c_str())) {
        whyNot = png.message();
        return {};
    }
    const bool opaque = (png.image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    png.image.format = bgraFormat;
    if (png.image.width > std::uint32_t(std::numeric_limits<int>::max() / 4) ||
        png.image.height > std::uint32_t(std::numeric_limits<int>::max())) {
        whyNot = "the picture is too large";
        return {};
    }
    SurfacePointer surface(SDL_CreateRGBSurfaceWithFormat(0, int(png.image.width), int(png.image.height), 32,
                                                          SDL_PIXELFORMAT_BGRA32));
    if (!surface) {
        whyNot = SDL_GetError();
        return {};
    }
    if (!png_image_finish_read(&png.image, nullptr, surface->pixels, surface->pitch, nullptr)) {
        whyNot = png.message();
        return {};
    }
    return {std::move(surface), opaque};
}

bool writePng(SDL_Surface& surface, const std::string& path, std::string& whyNot) {
    SurfacePointer bgra(SDL_ConvertSurfaceFormat(&surface, SDL_PIXELFORMAT_BGRA32, 0));
    if (!bgra) {
        whyNot = SDL_GetError();
        return false;
    }
    PngImage png;
    png.image.width = png_uint_32(bgra->w);
    png.image.height = png_uint_32(bgra->h);
    png.image.format = bgraFormat;
    // Shots are looked at and compared, not kept: a quick write beats a small file. Full
    // compression took five times as long as drawing the frame.
    png.image.flags = PNG_IMAGE_FLAG_FAST;
    if (!png_image_write_to_file(&png.image, path.c_str(), 0, bgra->pixels, bgra->pitch, nullptr)) {
        whyNot = png.message();
        return false;
    }
    return true;
}

} // namespace torvane::platform
