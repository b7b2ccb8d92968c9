#pragma once

// The device-class rule: whether a device counts as having an LED torch (the controller's
// `deviceIsiPhone4`). It looks at the model string alone: every model that lacks the exact,
// case-sensitive text "iPhone2" anywhere is in the class; no model at all is not.

#include <optional>
#include <string>

namespace torvane::platform {

[[nodiscard]] bool deviceIsiPhone4(const std::optional<std::string>& model);

} // namespace torvane::platform
