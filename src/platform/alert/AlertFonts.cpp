#include "platform/alert/AlertFonts.h"

#include "platform/alert/FontconfigLibrary.h"

#include <cstring>
#include <memory>

namespace torvane::platform {

namespace {

constexpr const char* preferredFamily = "DejaVu Sans";

struct ConfigDestroy {
    decltype(&FcConfigDestroy) destroy{};
    void operator()(FcConfig* config) const { destroy(config); }
};
struct PatternDestroy {
    decltype(&FcPatternDestroy) destroy{};
    void operator()(FcPattern* pattern) const { destroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternDestroy>;

class Lookup {
  public:
    Lookup(const FontconfigLibrary& fc, FcConfig* config) : m_fc(fc), m_config(config) {}

    // fontconfig always answers with its closest font, so DejaVu is taken only when that is
    // DejaVu; otherwise the system's own choice for the generic family stands.
    std::string find(const char* preferred, const char* generic) const {
        if (PatternPointer found = match(preferred); found && isPreferredFamily(found.get()))
            if (std::string file = fileOf(found.get()); !file.empty())
                return file;
        return fileOf(match(generic).get());
    }

  private:
    // The best match for `name` (fontconfig's "family:style" syntax), or null when the
    // configuration has no font at all.
    PatternPointer match(const char* name) const {
        PatternPointer pattern(m_fc.nameParse(reinterpret_cast<const FcChar8*>(name)), {m_fc.patternDestroy});
        if (!pattern)
            return PatternPointer(nullptr, {m_fc.patternDestroy});
        m_fc.configSubstitute(m_config, pattern.get(), FcMatchPattern);
        m_fc.defaultSubstitute(pattern.get());
        FcResult result = FcResultNoMatch;
        return PatternPointer(m_fc.fontMatch(m_config, pattern.get(), &result), {m_fc.patternDestroy});
    }

    std::string fileOf(const FcPattern* found) const {
        FcChar8* file = nullptr;
        if (!found || m_fc.patternGetString(found, FC_FILE, 0, &file) != FcResultMatch || !file)
            return {};
        return reinterpret_cast<const char*>(file);
    }

    bool isPreferredFamily(const FcPattern* found) const {
        FcChar8* family = nullptr;
        for (int i = 0; m_fc.patternGetString(found, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            if (family && std::strcmp(reinterpret_cast<const char*>(family), preferredFamily) == 0)
                return true;
        return false;
    }

    const FontconfigLibrary& m_fc;
    FcConfig* m_config;
};

} // namespace

AlertFontFiles findAlertFonts(const FontconfigLibrary& fontconfig) {
    std::unique_ptr<FcConfig, ConfigDestroy> config(fontconfig.initLoadConfigAndFonts(),
                                                    {fontconfig.configDestroy});
    if (!config)
        return {};
    Lookup lookup(fontconfig, config.get());
    AlertFontFiles files;
    files.regular = lookup.find(preferredFamily, "sans-serif");
    files.bold = lookup.find((std::string(preferredFamily) + ":bold").c_str(), "sans-serif:bold");
    if (files.bold.empty())
        files.bold = files.regular;
    return files;
}

} // namespace torvane::platform
