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
    // A sysfs attribute is at most a page, and says so only by ending.
    char buffer[4096];
    while (text.size() < limit) {
        ssize_t got = ::read(fd.get(), buffer, std::min(sizeof buffer, limit - text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        text.append(buffer, std::size_t(got));
    }
    return text;
}

} // namespace torvane::platform
