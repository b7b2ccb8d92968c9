#pragma once

// A picture file of either kind the screen reads: packed pixels (PackedPixelsFormat.h), as the
// pictures are installed, or PNG, as anything else may give them. The kind is told by the file's
// first bytes, not by its name, and is kept in the header for the pixels.

#include "platform/core/SdlPointers.h"
#include "platform/view/PictureHeader.h"

#include <optional>
#include <string>

namespace torvane::platform {

// The picture's size and kind; std::nullopt, with the reason in `whyNot`, when the file cannot be
// read or is neither kind.
[[nodiscard]] std::optional<PictureHeader> readPictureHeader(const std::string& path, std::string& whyNot);
// Decodes the file into `pixels`, rows `pitch` bytes apart, in SDL_PIXELFORMAT_BGRA32, straight
// alpha. False, with the reason, when it cannot or the file is no longer the `expected` size and
// kind.
[[nodiscard]] bool readPictureInto(const std::string& path, const PictureHeader& expected, void* pixels,
                                   int pitch, std::string& whyNot);
// The picture in a surface of its own, if it is still the `expected` size; null, with the reason.
[[nodiscard]] SurfacePointer readPicture(const std::string& path, const PictureHeader& expected,
                                         std::string& whyNot);
// The picture in a surface of its own, whatever its size; null, with the reason.
[[nodiscard]] SurfacePointer readPicture(const std::string& path, std::string& whyNot);

} // namespace torvane::platform
