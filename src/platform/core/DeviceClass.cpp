#include "platform/core/DeviceClass.h"

namespace torvane::platform {

bool deviceIsiPhone4(const std::optional<std::string>& model) {
    if (!model)
        return false;
    return model->find("iPhone2") == std::string::npos;
}

bool hardwareIsiPhone4(const std::optional<std::string>& model, bool torchLedFound) {
    return torchLedFound && deviceIsiPhone4(model);
}

} // namespace torvane::platform
