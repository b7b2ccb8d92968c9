#include "platform/alert/FontconfigLibrary.h"

namespace torvane::platform {

std::shared_ptr<const FontconfigLibrary> FontconfigLibrary::load(std::string& whyNot,
                                                                 const std::string& name) {
    auto fc = std::make_shared<FontconfigLibrary>();
    fc->library = SharedLibrary::open(name, whyNot, SharedLibrary::Unloading::KeepMapped);
    if (!fc->library)
        return nullptr;
    const auto& lib = *fc->library;
    bool found = lib.find("FcInitLoadConfigAndFonts", fc->initLoadConfigAndFonts, whyNot) &&
                 lib.find("FcConfigDestroy", fc->configDestroy, whyNot) &&
                 lib.find("FcConfigSubstitute", fc->configSubstitute, whyNot) &&
                 lib.find("FcDefaultSubstitute", fc->defaultSubstitute, whyNot) &&
                 lib.find("FcNameParse", fc->nameParse, whyNot) &&
                 lib.find("FcFontMatch", fc->fontMatch, whyNot) &&
                 lib.find("FcPatternGetString", fc->patternGetString, whyNot) &&
                 lib.find("FcPatternDestroy", fc->patternDestroy, whyNot);
    return found ? fc : nullptr;
}

} // namespace torvane::platform
