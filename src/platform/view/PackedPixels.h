#pragma once

// Reads the screen's pictures in the packed form they are installed in (PackedPixelsFormat.h).

#include "platform/view/PictureHeader.h"

#include <optional>
#include <string>

namespace torvane::platform {

// The picture's size and kind from the file's header; std::nullopt, with the reason in `whyNot`,
// when the file cannot be read, is not a packed picture or does not hold as much as it says.
[[nodiscard]] std::optional<PictureHeader> readPackedHeader(const std::string& path, std::string& whyNot);
// Unpacks the file into `pixels`, rows `pitch` bytes apart, in SDL_PIXELFORMAT_BGRA32. False, with
// the reason, when it cannot, when the pixels are damaged, or when the file is no longer the
// `expected` size.
[[nodiscard]] bool readPackedInto(const std::string& path, const PictureHeader& expected, void* pixels,
                                  int pitch, std::string& whyNot);

} // namespace torvane::platform
