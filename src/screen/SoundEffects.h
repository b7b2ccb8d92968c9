#pragma once

// The screen's sound effects, by resource name (each an "mp3"): the players are made of them at
// start, and the application has them decoded ahead, while the screen opens.

#include <array>
#include <string_view>

namespace torvane::screen {

inline constexpr std::string_view flipBoardSound = "flip_board_2"; // lens cover, tray slides
inline constexpr std::string_view trayUpSound = "tray_up";         // the tray flipping up
inline constexpr std::string_view clickSound = "shrink_cubes_2";   // a lens chosen

inline constexpr std::array<std::string_view, 3> soundEffects = {flipBoardSound, trayUpSound, clickSound};
inline constexpr std::string_view soundEffectType = "mp3";

} // namespace torvane::screen
