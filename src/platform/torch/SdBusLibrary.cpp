#include "platform/torch/SdBusLibrary.h"

namespace torvane::platform {

std::shared_ptr<const SdBusLibrary> SdBusLibrary::load(std::string& whyNot) {
    auto sd = std::make_shared<SdBusLibrary>();
    sd->library = SharedLibrary::open(soname, whyNot, SharedLibrary::Unloading::KeepMapped);
    if (!sd->library)
        return nullptr;
    const auto& lib = *sd->library;
    bool found = lib.find("sd_bus_open_system", sd->openSystem, whyNot) &&
                 lib.find("sd_bus_flush_close_unref", sd->flushCloseUnref, whyNot) &&
                 lib.find("sd_bus_get_property_trivial", sd->getPropertyTrivial, whyNot) &&
                 lib.find("sd_bus_call_method", sd->callMethod, whyNot) &&
                 lib.find("sd_bus_error_free", sd->errorFree, whyNot);
    return found ? sd : nullptr;
}

} // namespace torvane::platform
