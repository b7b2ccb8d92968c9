#pragma once

// fontconfig, opened at the first lookup of the alert's fonts rather than at start. It stays
// mapped once opened (SharedLibrary::Unloading): its caches live in its own statics, and FcFini,
// the only way to free them, would pull the configuration from under anything else in the process
// that uses it, such as a window decoration's toolkit.

#include "platform/core/SharedLibrary.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

namespace torvane::platform {

struct FontconfigLibrary {
    static constexpr const char* soname = "libfontconfig.so.1";

    // Null, with the reason in `whyNot`, when the library cannot be loaded.
    [[nodiscard]] static std::shared_ptr<const FontconfigLibrary> load(std::string& whyNot,
                                                                       const std::string& name = soname);

    decltype(&FcInitLoadConfigAndFonts) initLoadConfigAndFonts{};
    decltype(&FcConfigDestroy) configDestroy{};
    decltype(&FcConfigSubstitute) configSubstitute{};
    decltype(&FcDefaultSubstitute) defaultSubstitute{};
    decltype(&FcNameParse) nameParse{};
    decltype(&FcFontMatch) fontMatch{};
    decltype(&FcPatternGetString) patternGetString{};
    decltype(&FcPatternDestroy) patternDestroy{};

    std::shared_ptr<SharedLibrary> library;
};

} // namespace torvane::platform
