#pragma once

// PNG files read into and written from SDL surfaces with libpng's simplified interface. The
// pictures and the window's icon are PNG alone, so libpng stands in for SDL2_image, whose JPEG,
// TIFF and WebP decoders the dynamic loader would otherwise map before the first frame.

#include "platform/core/SdlPointers.h"

#include <string>

namespace torvane::platform {

struct PngPicture {
    SurfacePointer surface;
    bool opaque{false}; // the file has no alpha channel
};

// The picture in SDL_PIXELFORMAT_BGRA32 (ARGB8888 on the machines we run on), straight alpha;
// a null surface, with libpng's reason in `whyNot`, when the file cannot be read or is not a PNG.
[[nodiscard]] PngPicture readPng(const std::string& path, std::string& whyNot);

// Writes `surface` with its alpha, compressed for speed rather than size; false, with the reason
// in `whyNot`.
[[nodiscard]] bool writePng(SDL_Surface& surface, const std::string& path, std::string& whyNot);

} // namespace torvane::platform
