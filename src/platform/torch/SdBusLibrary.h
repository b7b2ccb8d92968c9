#pragma once

// sd-bus, from libsystemd, opened when logind is first needed rather than at start: a torch whose
// `brightness` file is ours to write never needs it, and libsystemd brings six libraries of its
// own (libgcrypt, liblzma, libzstd and others) for the loader to map before the light. It stays
// mapped once opened (SharedLibrary::Unloading): it keeps per-thread state of its own.

#include "platform/core/SharedLibrary.h"

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace torvane::platform {

struct SdBusLibrary {
    static constexpr const char* soname = "libsystemd.so.0";

    // Null, with the reason in `whyNot`, when the library cannot be loaded.
    [[nodiscard]] static std::shared_ptr<const SdBusLibrary> load(std::string& whyNot);

    decltype(&sd_bus_open_system) openSystem{};
    decltype(&sd_bus_flush_close_unref) flushCloseUnref{};
    decltype(&sd_bus_get_property_trivial) getPropertyTrivial{};
    decltype(&sd_bus_call_method) callMethod{};
    decltype(&sd_bus_error_free) errorFree{};

    std::shared_ptr<SharedLibrary> library;
};

} // namespace torvane::platform
