#pragma once

// Small text files: read whole, then cut into lines and words. The kernel's attributes and tables,
// the device tree's model and scripts are read so, through
// one descriptor rather than a stream: the first stream sets up the C++ library's locales, half a
// megabyte of its pages and a cost out of all proportion to a line of text, before the light and
// before the first frame.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::platform {

// The contents of `file`; std::nullopt, with errno set, when it cannot be opened or read or holds
// more than `limit` bytes (EFBIG).
[[nodiscard]] std::optional<std::string> readSmallFile(const std::filesystem::path& file,
                                                       std::size_t limit = 64 * 1024);

// The lines of `text`, without their newlines; a last line without one counts.
[[nodiscard]] std::vector<std::string_view> linesOf(std::string_view text);
// The words of `line`, between blanks (spaces, tabs, carriage returns).
[[nodiscard]] std::vector<std::string_view> wordsOf(std::string_view line);

} // namespace torvane::platform
