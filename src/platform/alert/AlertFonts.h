#pragma once

// Finding the alert's typefaces through fontconfig, since distributions keep fonts in different
// places: DejaVu Sans and its bold where the system has them, else whatever it matches for
// sans-serif and sans-serif:bold. The configuration is loaded afresh for each lookup (from
// $FONTCONFIG_FILE when set), so a lookup sees the fonts as they are now.

#include <string>

namespace torvane::platform {

struct FontconfigLibrary;

struct AlertFontFiles {
    std::string regular; // empty: no font found
    std::string bold;    // the regular file when the system has no bold face
};

[[nodiscard]] AlertFontFiles findAlertFonts(const FontconfigLibrary& fontconfig);

} // namespace torvane::platform
