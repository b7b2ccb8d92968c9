#pragma once

// The device-class rule: whether a device counts as having an LED torch (the controller's
// `deviceIsiPhone4`).
// - A model given by hand (--machine) is judged by its string alone: every model that lacks the
//   exact, case-sensitive text "iPhone2" anywhere is in the class; no model at all is not.
// - The machine it runs on is judged by its hardware too: without a torch LED it cannot light
//   one, so it is outside the class (no upgrade offer), whatever its model string says.

#include <optional>
#include <string>

namespace torvane::platform {

[[nodiscard]] bool deviceIsiPhone4(const std::optional<std::string>& model);

// `torchLedFound`: what the torch's LED discovery says (torchLedExists in torch/LedClass.h).
[[nodiscard]] bool hardwareIsiPhone4(const std::optional<std::string>& model, bool torchLedFound);

} // namespace torvane::platform
