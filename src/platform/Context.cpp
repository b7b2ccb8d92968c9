#include "platform/Context.h"

namespace torvane::platform {

Context::Context(const std::filesystem::path& settingsPath, const std::optional<std::string>& tracePath)
    : traceOpened(tracePath && trace.open(*tracePath)), settings(settingsPath, trace) {}

} // namespace torvane::platform
