#pragma once

// The device model string (the platform's `-[UIDevice machine]`). On Linux the hardware's own
// name: the device tree's model on phones and boards ("Pine64 PinePhone (1.2)"), the firmware's
// product name on PCs, else uname's machine field ("x86_64"), the last resort and what
// "hw.machine" is on other Unix systems. The application puts `--machine MODEL` in its place, so
// that the device-class rule can be tried with any model.

#include <filesystem>
#include <optional>
#include <string>

namespace torvane::platform {

// hardwareModel("/").
[[nodiscard]] std::optional<std::string> machine();

// The model as found under `root` (a made-up tree in tests): `proc/device-tree/model` without its
// trailing NUL, else `sys/class/dmi/id/product_name`, else uname's machine field. An empty or
// unreadable file counts as absent; none only when uname fails as well.
[[nodiscard]] std::optional<std::string> hardwareModel(const std::filesystem::path& root);

} // namespace torvane::platform
