#pragma once

// The six animation identifiers. The completion handler tells them apart by address, not by
// text, so each is one object shared by every file that names it.

namespace torvane::screen {

inline constexpr char MoveFlashLightIntoPlace[] = "MoveFlashLightIntoPlace";
inline constexpr char FlipControlTrayDown[] = "FlipControlTrayDown";
inline constexpr char MoveLensIntoPlace[] = "MoveLensIntoPlace";
inline constexpr char FlipControlTrayUp[] = "flipControlTrayUp";
inline constexpr char DismissControlTray[] = "DismissControlTray";
inline constexpr char ShowControlTray[] = "ShowControlTray";

} // namespace torvane::screen
