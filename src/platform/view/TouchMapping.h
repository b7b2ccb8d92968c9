#pragma once

// Turning SDL's touch and mouse positions into points in the controller's view. Mouse positions
// come in window coordinates, which on a high-DPI screen are not pixels (the drawable can be
// twice the window's size); finger positions come normalised to 0…1. Points do not depend on
// either ratio.

#include "platform/geometry/Geometry.h"

namespace torvane::platform {

// `window` is the window's size in window coordinates (SDL_GetWindowSize), `screen` in points.
[[nodiscard]] Point pointFromWindow(float x, float y, Size window, Size screen);
[[nodiscard]] Point pointFromFinger(float x, float y, Size screen);

// Pixels per point for a drawable of `drawableWidth` pixels showing a screen `screenWidth` wide.
[[nodiscard]] float scaleFor(int drawableWidth, float screenWidth);

} // namespace torvane::platform
