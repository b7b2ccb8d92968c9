#include "app/ScreenPictureFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace torvane::app {

std::optional<std::filesystem::path> makeScreenPictureFile(std::string& whyNot) {
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    if (error)
        folder = "/tmp";
    std::string name = (folder / "torvane-screen-XXXXXX.png").string();
    // mkstemps opens with O_CREAT | O_EXCL: nothing that exists, a symbolic link included, is opened.
    int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        whyNot = folder.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    ::close(fd);
    return std::filesystem::path(name);
}

} // namespace torvane::app
