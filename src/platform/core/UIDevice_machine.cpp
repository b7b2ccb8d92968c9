#include "platform/core/UIDevice_machine.h"

#include <mutex>
#include <sys/utsname.h>

namespace torvane::platform {

namespace {

std::mutex overrideMutex;
std::optional<std::string> machineOverride;

} // namespace

std::optional<std::string> machine() {
    {
        std::lock_guard lock(overrideMutex);
        if (machineOverride)
            return machineOverride;
    }
    struct utsname system {};
    if (::uname(&system) != 0)
        return std::nullopt;
    return std::string(system.machine);
}

void setMachineOverride(std::optional<std::string> model) {
    std::lock_guard lock(overrideMutex);
    machineOverride = std::move(model);
}

} // namespace torvane::platform
