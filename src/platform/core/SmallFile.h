#pragma once

// The whole of a small file (a sysfs attribute, the device tree's model), read through one
// descriptor rather than a stream: the launcher reads these before the light comes on, and the
// first stream sets up the C++ library's locales, a cost out of all proportion to a line of text.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace torvane::platform {

// At most `limit` bytes of `file`; std::nullopt when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> readSmallFile(const std::filesystem::path& file,
                                                       std::size_t limit = 64 * 1024);

} // namespace torvane::platform
