#include "platform/view/PngFile.h"

#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
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

// Opens `png` on the file and checks its size; the format asked for is set here.
std::optional<PictureHeader> beginRead(PngImage& png, const std::string& path, std::string& whyNot) {
    if (!png_image_begin_read_from_file(&png.image, path.c_str())) {
        whyNot = png.message();
        return std::nullopt;
    }
    const bool opaque = (png.image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    png.image.format = bgraFormat;
    if (png.image.width > std::uint32_t(std::numeric_limits<int>::max() / 4) ||
        png.image.height >
            std::uint32_t(std::numeric_limits<int>::max() / 4 / std::max(png.image.width, 1u))) {
        whyNot = "the picture is too large";
        return std::nullopt;
    }
    return PictureHeader{int(png.image.width), int(png.image.height), opaque};
}

} // namespace

std::optional<PictureHeader> readPngHeader(const std::string& path, std::string& whyNot) {
    PngImage png;
    return beginRead(png, path, whyNot);
}

bool readPngInto(const std::string& path, const PictureHeader& expected, void* pixels, int pitch,
                 std::string& whyNot) {
    PngImage png;
    auto header = beginRead(png, path, whyNot);
    if (!header)
        return false;
    if (header->width != expected.width || header->height != expected.height) {
        whyNot = "the file has changed size";
        return false;
    }
    if (!png_image_finish_read(&png.image, nullptr, pixels, pitch, nullptr)) {
        whyNot = png.message();
        return false;
    }
    return true;
}

bool writePng(SDL_Surface& surface, const std::string& path, std::string& whyNot) {
    // The offscreen screen is already in this format (ARGB8888 on the machines we run on): it is
    // written as it is, without a copy.
    SurfacePointer converted;
    SDL_Surface* bgra = &surface;
    if (surface.format->format != SDL_PIXELFORMAT_BGRA32 || SDL_MUSTLOCK(&surface)) {
        converted.reset(SDL_ConvertSurfaceFormat(&surface, SDL_PIXELFORMAT_BGRA32, 0));
        bgra = converted.get();
    }
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
