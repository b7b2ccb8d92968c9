#pragma once

// PNG files read into and written from SDL surfaces with libpng's simplified interface: the
// window's icon, shots, and pictures found as PNG rather than packed (PictureFile.h). Nothing else
// is read, so libpng stands in for SDL2_image, whose JPEG, TIFF and WebP decoders the dynamic
// loader would otherwise map before the first frame.

#include "platform/core/SdlPointers.h"
#include "platform/view/PictureHeader.h"

#include <optional>
#include <string>

namespace torvane::platform {

// The picture's size from the file's first bytes, opaque when it has no alpha channel; std::nullopt, with
// libpng's reason in `whyNot`, when the file cannot be read, is not a PNG or is too large to draw.
[[nodiscard]] std::optional<PictureHeader> readPngHeader(const std::string& path, std::string& whyNot);
// Decodes the file into `pixels`, rows `pitch` bytes apart, in SDL_PIXELFORMAT_BGRA32 (ARGB8888 on
// the machines we run on), straight alpha. False, with the reason, when it cannot, or when the
// file is no longer the `expected` size.
[[nodiscard]] bool readPngInto(const std::string& path, const PictureHeader& expected, void* pixels,
                               int pitch, std::string& whyNot);
// Writes `surface` with its alpha, compressed for speed rather than size; false, with the reason
// in `whyNot`.
[[nodiscard]] bool writePng(SDL_Surface& surface, const std::string& path, std::string& whyNot);

} // namespace torvane::platform
