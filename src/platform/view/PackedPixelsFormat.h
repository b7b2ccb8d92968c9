#pragma once

// The screen's pictures as they are installed: the pixels the software renderer draws from,
// compressed with LZ4, so that reading a picture costs little more than copying it. Inflating the
// PNGs was the largest part of the first frame; LZ4 decompresses these pictures about ten times
// faster, for files a third larger.
//
// A file is a 20-byte header, then one LZ4 block of width x height pixels, four bytes each in the
// order B, G, R, A (SDL_PIXELFORMAT_BGRA32), straight alpha, rows without padding:
//
//   0  "TVPX"          4  version (1)     5  flags (bit 0: opaque)     6  two zero bytes
//   8  width           12  height         16  the block's length       (all little-endian)
//
// Shared by the reader (PackedPixels.cpp) and the build tool that writes the files
// (resources/pack_pixels.cpp), so it needs nothing but the standard library.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace torvane::platform::packed {

constexpr std::size_t headerSize = 20;
constexpr std::uint8_t version = 1;
// Far beyond any screen, and small enough that width x height x 4 fits an int.
constexpr std::uint32_t largestSide = 16384;

struct Header {
    std::uint32_t width{0};
    std::uint32_t height{0};
    bool opaque{false};
    std::uint32_t blockSize{0};
};

constexpr std::array<std::uint8_t, 4> magic{'T', 'V', 'P', 'X'};

inline std::array<std::uint8_t, headerSize> encode(const Header& header) {
    std::array<std::uint8_t, headerSize> bytes{};
    std::copy(magic.begin(), magic.end(), bytes.begin());
    bytes[4] = version;
    bytes[5] = header.opaque ? 1 : 0;
    auto put = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = std::uint8_t(value >> (8 * i));
    };
    put(8, header.width);
    put(12, header.height);
    put(16, header.blockSize);
    return bytes;
}

// True when `bytes` begin as a packed picture does, whatever follows.
inline bool hasMagic(const std::uint8_t* bytes, std::size_t size) {
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), bytes);
}

// The header, or std::nullopt when the bytes are not one this reader knows or describe a picture
// too large to draw.
inline std::optional<Header> decode(const std::array<std::uint8_t, headerSize>& bytes) {
    if (!hasMagic(bytes.data(), bytes.size()) || bytes[4] != version || (bytes[5] & ~1u) != 0)
        return std::nullopt;
    auto get = [&bytes](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(bytes[at + i]) << (8 * i);
        return value;
    };
    Header header{get(8), get(12), (bytes[5] & 1) != 0, get(16)};
    if (header.width == 0 || header.height == 0 || header.width > largestSide || header.height > largestSide)
        return std::nullopt;
    return header;
}

} // namespace torvane::platform::packed
