#pragma once

// The reader's inner loops: the ends of runs of plain string bytes and of whitespace, and the
// widening of ASCII bytes to UTF-16 units. Sixteen bytes at a time with SSE2 on x86-64 or NEON on
// arm64 (both part of every processor of their architecture, so no processor-specific build is
// needed), eight at a time in plain integer words elsewhere and when TORVANE_SIMD is 0. Every
// path gives the same results; the tests run the build both ways.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if !defined(TORVANE_SIMD)
#define TORVANE_SIMD 1
#endif
#if TORVANE_SIMD && defined(__SSE2__)
#define TORVANE_BYTE_RUNS_SSE2 1
#include <emmintrin.h>
#elif TORVANE_SIMD && defined(__ARM_NEON) && defined(__aarch64__)
#define TORVANE_BYTE_RUNS_NEON 1
#include <arm_neon.h>
#endif

namespace torvane::byteRuns {

// MARK: - Sixteen-byte blocks

#if defined(TORVANE_BYTE_RUNS_SSE2)
using Block = __m128i;
constexpr int maskBitsPerByte = 1;
inline Block load(const std::uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}
// Masks of a block's bytes, first byte lowest, maskBitsPerByte bits per byte: set where the byte
// is '"', '\\' or from 0x80 on (stringStops), '"' or '\\', or not whitespace.
inline std::uint64_t stringStops(Block block) {
    return unsigned(_mm_movemask_epi8(block) | _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('"'))) |
                    _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\\'))));
}
inline std::uint64_t quotesAndBackslashes(Block block) {
    return unsigned(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')), _mm_cmpeq_epi8(block, _mm_set1_epi8('\\')))));
}
inline std::uint64_t nonWhitespace(Block block) {
    // 0x09-0x0D: the byte minus 9 is at most 4, unsigned.
    __m128i control = _mm_sub_epi8(block, _mm_set1_epi8(9));
    __m128i isControl = _mm_cmpeq_epi8(_mm_max_epu8(control, _mm_set1_epi8(4)), _mm_set1_epi8(4));
    __m128i isSpace = _mm_cmpeq_epi8(block, _mm_set1_epi8(' '));
    return unsigned(~_mm_movemask_epi8(_mm_or_si128(isControl, isSpace))) & 0xFFFF;
}
// Writes all sixteen bytes as units.
inline void widen(Block block, char16_t* target) {
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 8), _mm_unpackhi_epi8(block, zero));
}
#elif defined(TORVANE_BYTE_RUNS_NEON)
using Block = uint8x16_t;
inline Block load(const std::uint8_t* bytes) {
    return vld1q_u8(bytes);
}
// NEON has no movemask; four bits per byte of a 64-bit word serve as well for finding the first.
constexpr int maskBitsPerByte = 4;
inline std::uint64_t nibbleMask(uint8x16_t matches) {
    return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(matches), 4)), 0);
}
inline std::uint64_t stringStops(Block block) {
    uint8x16_t stops =
        vorrq_u8(vcgeq_u8(block, vdupq_n_u8(0x80)),
                 vorrq_u8(vceqq_u8(block, vdupq_n_u8('"')), vceqq_u8(block, vdupq_n_u8('\\'))));
    return nibbleMask(stops);
}
inline std::uint64_t quotesAndBackslashes(Block block) {
    return nibbleMask(vorrq_u8(vceqq_u8(block, vdupq_n_u8('"')), vceqq_u8(block, vdupq_n_u8('\\'))));
}
inline std::uint64_t nonWhitespace(Block block) {
    uint8x16_t isControl = vcleq_u8(vsubq_u8(block, vdupq_n_u8(9)), vdupq_n_u8(4));
    uint8x16_t isSpace = vceqq_u8(block, vdupq_n_u8(' '));
    return nibbleMask(vmvnq_u8(vorrq_u8(isControl, isSpace)));
}
inline void widen(Block block, char16_t* target) {
    vst1q_u16(reinterpret_cast<std::uint16_t*>(target), vmovl_u8(vget_low_u8(block)));
    vst1q_u16(reinterpret_cast<std::uint16_t*>(target + 8), vmovl_u8(vget_high_u8(block)));
}
#else
// Two 64-bit words stand in for a block; masks have one bit per byte, as with SSE2.
constexpr int maskBitsPerByte = 1;
struct Block {
    std::uint64_t low;
    std::uint64_t high;
};
inline Block load(const std::uint8_t* bytes) {
    // Byte by byte, so that the first byte is the lowest on any byte order; compilers make this
    // one load where the order is little-endian.
    auto word = [](const std::uint8_t* eight) {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= std::uint64_t(eight[i]) << (8 * i);
        return value;
    };
    return {word(bytes), word(bytes + 8)};
}
constexpr std::uint64_t repeatByte(std::uint8_t byte) {
    return 0x0101010101010101ull * byte;
}
// The high bit of each byte of the word gathered into the low eight bits, first byte lowest.
inline unsigned gatherHighBits(std::uint64_t highBits) {
    return unsigned(((highBits >> 7) * 0x0102040810204080ull) >> 56);
}
// High bit set in each byte that equals `byte`; exact, without carries between bytes.
inline std::uint64_t equalBytes(std::uint64_t word, std::uint8_t byte) {
    std::uint64_t difference = word ^ repeatByte(byte);
    return ~(((difference & repeatByte(0x7F)) + repeatByte(0x7F)) | difference) & repeatByte(0x80);
}
inline unsigned stringStops(std::uint64_t word) {
    return gatherHighBits((word & repeatByte(0x80)) | equalBytes(word, '"') | equalBytes(word, '\\'));
}
inline std::uint64_t stringStops(Block block) {
    return stringStops(block.low) | stringStops(block.high) << 8;
}
inline std::uint64_t quotesAndBackslashes(Block block) {
    auto word = [](std::uint64_t bytes) {
        return gatherHighBits(equalBytes(bytes, '"') | equalBytes(bytes, '\\'));
    };
    return word(block.low) | word(block.high) << 8;
}
inline std::uint64_t nonWhitespace(Block block) {
    auto word = [](std::uint64_t bytes) {
        std::uint64_t whitespace = equalBytes(bytes, ' ');
        for (std::uint8_t control = 0x09; control <= 0x0D; ++control)
            whitespace |= equalBytes(bytes, control);
        return gatherHighBits(~whitespace & repeatByte(0x80));
    };
    return word(block.low) | word(block.high) << 8;
}
inline void widen(Block block, char16_t* target) {
    for (int i = 0; i < 8; ++i) {
        target[i] = char16_t((block.low >> (8 * i)) & 0xFF);
        target[i + 8] = char16_t((block.high >> (8 * i)) & 0xFF);
    }
}
#endif

// MARK: - Runs

// The index of the first byte set in a mask that is not zero.
inline std::size_t firstByte(std::uint64_t mask) {
    return std::size_t(std::countr_zero(mask)) / maskBitsPerByte;
}

inline bool isStringStop(std::uint8_t byte) {
    return byte == '"' || byte == '\\' || byte >= 0x80;
}

inline bool isWhitespace(std::uint8_t byte) {
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

// The end of the run of ASCII bytes that are neither quotation mark nor backslash.
inline const std::uint8_t* plainStringEnd(const std::uint8_t* cursor, const std::uint8_t* end) {
    while (end - cursor >= 16) {
        if (std::uint64_t stops = stringStops(load(cursor)))
            return cursor + firstByte(stops);
        cursor += 16;
    }
    while (cursor < end && !isStringStop(*cursor))
        ++cursor;
    return cursor;
}

// The first quotation mark or backslash, or the end.
inline const std::uint8_t* nextQuoteOrBackslash(const std::uint8_t* cursor, const std::uint8_t* end) {
    while (end - cursor >= 16) {
        if (std::uint64_t found = quotesAndBackslashes(load(cursor)))
            return cursor + firstByte(found);
        cursor += 16;
    }
    while (cursor < end && *cursor != '"' && *cursor != '\\')
        ++cursor;
    return cursor;
}

// The end of the run of whitespace; the caller has seen that the run is not empty.
inline const std::uint8_t* whitespaceEnd(const std::uint8_t* cursor, const std::uint8_t* end) {
    while (end - cursor >= 16) {
        if (std::uint64_t found = nonWhitespace(load(cursor)))
            return cursor + firstByte(found);
        cursor += 16;
    }
    while (cursor < end && isWhitespace(*cursor))
        ++cursor;
    return cursor;
}

inline void widenASCII(const std::uint8_t* source, std::size_t size, char16_t* target) {
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16)
        widen(load(source + i), target + i);
    for (; i < size; ++i)
        target[i] = source[i];
}

} // namespace torvane::byteRuns
