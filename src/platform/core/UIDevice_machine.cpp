#include "platform/core/UIDevice_machine.h"

#include "platform/core/SmallFile.h"

#include <sys/utsname.h>
#include <utility>

namespace torvane::platform {

namespace {

// The device tree ends its strings with NUL, sysfs its attributes with a newline.
std::optional<std::string> readModelFile(const std::filesystem::path& file) {
    auto read = readSmallFile(file);
    if (!read)
        return std::nullopt;
    std::string text = std::move(*read);
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<std::string> hardwareModel(const std::filesystem::path& root) {
    if (auto model = readModelFile(root / "proc/device-tree/model"))
        return model;
    if (auto product = readModelFile(root / "sys/class/dmi/id/product_name"))
        return product;
    struct utsname system {};
    if (::uname(&system) != 0)
        return std::nullopt;
    return std::string(system.machine);
}

std::optional<std::string> machine() {
    return hardwareModel("/");
}

} // namespace torvane::platform
