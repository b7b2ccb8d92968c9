#pragma once

// The device model string (the platform's `-[UIDevice machine]`, read there from "hw.machine"):
// on Linux the machine field of uname(2), which is what "hw.machine" is on other Unix systems.
// `--machine MODEL` overrides it, so that the device-class rule can be tried with any model.

#include <optional>
#include <string>

namespace torvane::platform {

// The override when one is set, else uname's machine field; none when uname fails.
[[nodiscard]] std::optional<std::string> machine();

// Chosen once at start (--machine); none returns to uname's answer.
void setMachineOverride(std::optional<std::string> model);

} // namespace torvane::platform
