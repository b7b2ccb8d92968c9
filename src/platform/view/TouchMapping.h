#pragma once

// Turning SDL's touch and mouse positions into drawable pixels. Mouse positions come in window
// coordinates, which on a high-DPI screen are not pixels (the drawable can be twice the window's
// size); finger positions come normalised to 0…1. Where the pixel lies in the layout is
// ColumnFit's business.

#include "platform/geometry/Geometry.h"

namespace torvane::platform {

// `window` is the window's size in window coordinates (SDL_GetWindowSize), `pixels` the
// drawable's. A window without a size leaves the position as it is.
[[nodiscard]] Point pixelFromWindow(float x, float y, Size window, Size pixels);
[[nodiscard]] Point pixelFromFinger(float x, float y, Size pixels);

} // namespace torvane::platform
