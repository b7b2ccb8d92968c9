#include "platform/core/SmallFile.h"

#include "platform/core/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace torvane::platform {

std::optional<std::string> readSmallFile(const std::filesystem::path& file, std::size_t limit) {
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return std::nullopt;
    std::string text;
    // A sysfs attribute says how long it is only by ending.
    char buffer[4096];
    while (true) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        text.append(buffer, std::size_t(got));
        if (text.size() > limit) {
            errno = EFBIG;
            return std::nullopt;
        }
    }
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    constexpr std::string_view blanks = " \t\r\v\f";
    std::vector<std::string_view> words;
    for (auto start = line.find_first_not_of(blanks); start != std::string_view::npos;
         start = line.find_first_not_of(blanks, start)) {
        const auto end = std::min(line.find_first_of(blanks, start), line.size());
        words.push_back(line.substr(start, end - start));
        start = end;
    }
    return words;
}

} // namespace torvane::platform
