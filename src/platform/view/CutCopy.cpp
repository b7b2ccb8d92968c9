#include "platform/view/CutCopy.h"

#include <algorithm>
#include <cmath>

namespace torvane::platform {

CopySpans cutAtEdges(int sourceLength, int start, int length, int limit) {
    CopySpans cut;
    const int visibleStart = std::max(start, 0), visibleEnd = std::min(start + length, limit);
    if (sourceLength <= 0 || length <= 0 || visibleEnd <= visibleStart)
        return cut;
    const double scale = double(length) / sourceLength;
    auto targetOf = [&](int source) { return start + int(std::lround(source * scale)); };
    auto add = [&](int from, int to) {
        cut.spans[std::size_t(cut.count++)] = {from, to - from, targetOf(from),
                                               targetOf(to) - targetOf(from)};
    };
    // In source pixels, the visible part; a hair of tolerance keeps an edge that falls on a pixel's
    // boundary from counting as a straddled pixel.
    constexpr double hair = 1e-6;
    const double from = (visibleStart - start) / scale, to = (visibleEnd - start) / scale;
    const int first = int(std::floor(from + hair)), last = int(std::ceil(to - hair));
    const int innerFrom = int(std::ceil(from - hair)), innerTo = int(std::floor(to + hair));
    if (innerFrom >= innerTo) {
        add(first, last); // all of it within a pixel or two, each straddling an edge
        return cut;
    }
    if (first < innerFrom)
        add(first, innerFrom);
    add(innerFrom, innerTo);
    if (innerTo < last)
        add(innerTo, last);
    return cut;
}

void copyCutAtEdges(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect& target, SDL_Point output) {
    int width = 0, height = 0;
    if (SDL_QueryTexture(texture, nullptr, nullptr, &width, &height) != 0)
        return;
    const CopySpans columns = cutAtEdges(width, target.x, target.w, output.x);
    const CopySpans rows = cutAtEdges(height, target.y, target.h, output.y);
    for (int row = 0; row < rows.count; ++row) {
        const CopySpan& r = rows.spans[std::size_t(row)];
        for (int column = 0; column < columns.count; ++column) {
            const CopySpan& c = columns.spans[std::size_t(column)];
            if (c.targetLength <= 0 || r.targetLength <= 0)
                continue;
            const SDL_Rect source{c.source, r.source, c.sourceLength, r.sourceLength};
            const SDL_Rect piece{c.target, r.target, c.targetLength, r.targetLength};
            SDL_RenderCopy(renderer, texture, &source, &piece);
        }
    }
}

} // namespace torvane::platform
