#pragma once

// The screen's stored choices: their keys in the settings store, and the version of their
// layout that a start restores. Flags are stored as "TRUE" and "FALSE".

#include <string_view>

namespace torvane::screen {

inline constexpr std::string_view versionKey = "flashlight_version";
inline constexpr std::string_view lensKey = "lens_type";
inline constexpr std::string_view soundKey = "soundfx_on";
inline constexpr std::string_view trayKey = "control_tray_up";

inline constexpr std::string_view storedVersion = "1.6";

} // namespace torvane::screen
