#include "platform/alert/AlertFonts.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <memory>

namespace torvane::platform {

namespace {

constexpr const char* preferredFamily = "DejaVu Sans";

struct ConfigDestroy {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternDestroy {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternDestroy>;

// The best match for `name` (fontconfig's "family:style" syntax), or null when the
// configuration has no font at all.
PatternPointer match(FcConfig* config, const char* name) {
    PatternPointer pattern(FcNameParse(reinterpret_cast<const FcChar8*>(name)));
    if (!pattern)
        return nullptr;
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    return PatternPointer(FcFontMatch(config, pattern.get(), &result));
}

std::string fileOf(const FcPattern* found) {
    FcChar8* file = nullptr;
    if (!found || FcPatternGetString(found, FC_FILE, 0, &file) != FcResultMatch || !file)
        return {};
    return reinterpret_cast<const char*>(file);
}

bool isPreferredFamily(const FcPattern* found) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(found, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (family && std::strcmp(reinterpret_cast<const char*>(family), preferredFamily) == 0)
            return true;
    return false;
}

// fontconfig always answers with its closest font, so DejaVu is taken only when that is DejaVu;
// otherwise the system's own choice for the generic family stands.
std::string find(FcConfig* config, const char* preferred, const char* generic) {
    if (PatternPointer found = match(config, preferred); found && isPreferredFamily(found.get()))
        if (std::string file = fileOf(found.get()); !file.empty())
            return file;
    return fileOf(match(config, generic).get());
}

} // namespace

AlertFontFiles findAlertFonts() {
    std::unique_ptr<FcConfig, ConfigDestroy> config(FcInitLoadConfigAndFonts());
    if (!config)
        return {};
    AlertFontFiles files;
    files.regular = find(config.get(), preferredFamily, "sans-serif");
    files.bold = find(config.get(), (std::string(preferredFamily) + ":bold").c_str(), "sans-serif:bold");
    if (files.bold.empty())
        files.bold = files.regular;
    return files;
}

} // namespace torvane::platform
