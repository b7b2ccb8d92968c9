#pragma once

// A see-through picture stretched and blended onto a software output in one pass. SDL's software
// renderer does it in two, through a scratch picture of the copy's size made and freed at every
// copy: 1.2 MB at each frame of the opening's zoom for the flashlight's body, the largest block of
// the opening's memory. Here nothing is allocated but a row of column weights.
//
// Sampling is bilinear with pixel centres mapped onto pixel centres and the picture's edge pixels
// repeated outwards, as SDL's linear scaling samples; blending is SDL's BLEND mode on straight
// alpha: colour = src * a + dst * (1 - a), alpha = a + dst alpha * (1 - a).

#include <SDL_rect.h>

#include <cstdint>

namespace torvane::platform {

// 32-bit pixels, A R G B from the most significant byte down (SDL_PIXELFORMAT_ARGB8888), `pitch`
// bytes from one row to the next.
struct PixelRows {
    void* pixels{nullptr};
    int width{0};
    int height{0};
    int pitch{0};
};

// Draws all of `source` stretched over `target` (in `output`'s pixels, possibly reaching past its
// edges), cut at `output`'s edges.
void stretchBlend(const PixelRows& source, const SDL_Rect& target, const PixelRows& output);

} // namespace torvane::platform
