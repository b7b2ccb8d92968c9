#include "platform/core/UIDevice_machine.h"

#include <fstream>
#include <iterator>
#include <sys/utsname.h>

namespace torvane::platform {

namespace {

// The device tree ends its strings with NUL, sysfs its attributes with a newline.
std::optional<std::string> readModelFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), {}};
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
