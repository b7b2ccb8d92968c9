#include "platform/view/StretchBlend.h"

#include <algorithm>
#include <vector>

namespace torvane::platform {

namespace {

// One output pixel's two source pixels along an axis and the weight of the second, 0 to 256.
struct Tap {
    int first{0};
    int second{0};
    int weight{0};
};

// The source position of output pixel `at` of `length`, for `sourceLength` source pixels: centre
// onto centre, in 1/256 pixels, clamped to the picture so that its edge pixels repeat.
Tap tapAt(int at, int length, int sourceLength) {
    const std::int64_t position =
        ((2 * std::int64_t(at) + 1) * sourceLength * 256) / (2 * std::int64_t(length)) - 128;
    if (position <= 0)
        return {0, 0, 0};
    const int first = int(position >> 8);
    if (first >= sourceLength - 1)
        return {sourceLength - 1, sourceLength - 1, 0};
    return {first, first + 1, int(position & 255)};
}

std::uint32_t channel(std::uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

// `a` and `b` mixed, `weight` (0 to 256) of `b`, each channel on its own.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    if (a == b || weight == 0)
        return a;
    // Two channels at a time: red and blue, then alpha and green, each in its own 16-bit lane.
    const std::uint32_t keep = 256 - weight;
    constexpr std::uint32_t half = 0x00800080; // rounds each lane to the nearest
    const std::uint32_t redBlue =
        (((a & 0x00FF00FF) * keep + (b & 0x00FF00FF) * weight + half) >> 8) & 0x00FF00FF;
    const std::uint32_t alphaGreen =
        ((((a >> 8) & 0x00FF00FF) * keep + ((b >> 8) & 0x00FF00FF) * weight + half) >> 8) & 0x00FF00FF;
    return redBlue | (alphaGreen << 8);
}

// x / 255, rounded, for x up to 255 * 255.
std::uint32_t divide255(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

std::uint32_t blend(std::uint32_t source, std::uint32_t destination) {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 0xFF)
        return source;
    if (alpha == 0)
        return destination;
    const std::uint32_t rest = 255 - alpha;
    std::uint32_t result = (alpha + divide255(channel(destination, 24) * rest)) << 24;
    for (int shift : {16, 8, 0})
        result |= divide255(channel(source, shift) * alpha + channel(destination, shift) * rest) << shift;
    return result;
}

std::uint32_t* rowOf(const PixelRows& picture, int y) {
    return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(picture.pixels) +
                                            std::ptrdiff_t(y) * picture.pitch);
}

} // namespace

void stretchBlend(const PixelRows& source, const SDL_Rect& target, const PixelRows& output) {
    if (source.width <= 0 || source.height <= 0 || target.w <= 0 || target.h <= 0)
        return;
    const int left = std::max(target.x, 0), right = std::min(target.x + target.w, output.width);
    const int top = std::max(target.y, 0), bottom = std::min(target.y + target.h, output.height);
    if (left >= right || top >= bottom)
        return;
    std::vector<Tap> columns(std::size_t(right - left));
    for (int x = left; x < right; ++x)
        columns[std::size_t(x - left)] = tapAt(x - target.x, target.w, source.width);
    // Each row is first mixed between its two source rows, once per source pixel it uses, then
    // across: fewer mixes than four taps per output pixel when the picture is enlarged.
    const int firstColumn = columns.front().first, lastColumn = columns.back().second;
    std::vector<std::uint32_t> mixedRow(std::size_t(lastColumn - firstColumn + 1));
    for (int y = top; y < bottom; ++y) {
        const Tap row = tapAt(y - target.y, target.h, source.height);
        const std::uint32_t* above = rowOf(source, row.first);
        const std::uint32_t* below = rowOf(source, row.second);
        for (int x = firstColumn; x <= lastColumn; ++x)
            mixedRow[std::size_t(x - firstColumn)] = mix(above[x], below[x], std::uint32_t(row.weight));
        std::uint32_t* out = rowOf(output, y) + left;
        for (const Tap& column : columns) {
            const std::uint32_t sample =
                mix(mixedRow[std::size_t(column.first - firstColumn)],
                    mixedRow[std::size_t(column.second - firstColumn)], std::uint32_t(column.weight));
            *out = blend(sample, *out);
            ++out;
        }
    }
}

} // namespace torvane::platform
