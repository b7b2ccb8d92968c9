#pragma once

// A stretched copy cut at the output's edges before SDL's software renderer sees it. That renderer
// scales a copy that reaches past an edge into a picture of the copy's whole size and clips only
// then: 2 to 3 MB made and freed at every frame of the opening's zoom, for a body partly off the
// screen, and the largest block of the opening's memory. Cut first, the part inside needs no such
// picture; only the source pixels that straddle an edge are copied on their own.

#include <SDL.h>

#include <array>

namespace torvane::platform {

struct CopySpan {
    int source{0};       // first source pixel
    int sourceLength{0}; // source pixels
    int target{0};       // first output pixel, possibly before the edge
    int targetLength{0};
};

struct CopySpans {
    std::array<CopySpan, 3> spans{};
    int count{0};
};

// One axis of a copy of `sourceLength` pixels stretched over output pixels [start, start + length),
// cut at the output's edges 0 and `limit`: the source pixels whose target lies wholly inside, and
// at each edge the copy reaches past, the one source pixel that straddles it. The spans meet
// without a gap or an overlap; none when nothing of the copy is inside.
[[nodiscard]] CopySpans cutAtEdges(int sourceLength, int start, int length, int limit);

// Copies all of `texture` stretched over `target`, in pieces cut at the edges of an output
// `output` pixels wide and high.
void copyCutAtEdges(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect& target, SDL_Point output);

} // namespace torvane::platform
