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

// MARK: - Text beyond ASCII, sixteen bytes at a time

#if defined(TORVANE_BYTE_RUNS_SSE2) || defined(TORVANE_BYTE_RUNS_NEON)
#define TORVANE_BYTE_RUNS_MIXED_BLOCKS 1

// The blocks' masks of the sixteen bytes at a position, one bit per byte, the first lowest; and
// the UTF-16 unit that a sequence of one to three bytes beginning at each would give.
struct MixedBlock {
    unsigned stops;          // '"' or '\\'
    unsigned continuations;  // 0x80-0xBF
    unsigned twoByteLeads;   // 0xC2-0xDF
    unsigned threeByteLeads; // 0xE0-0xEF
    unsigned otherHigh;      // 0xC0, 0xC1, 0xF0-0xFF: left to the byte-by-byte path
    unsigned badThree;       // three-byte leads whose unit is overlong or a surrogate
    alignas(16) std::uint16_t units[16];
};

#if defined(TORVANE_BYTE_RUNS_SSE2)
inline void loadMixedBlock(const std::uint8_t* bytes, MixedBlock& block) {
    __m128i first = load(bytes);
    __m128i second = load(bytes + 1);
    __m128i third = load(bytes + 2);
    // 0x80-0xBF are the signed bytes below -64.
    __m128i continuation = _mm_cmplt_epi8(first, _mm_set1_epi8(char(0xC0)));
    // 0xC2-0xDF: the byte minus 0xC2 is at most 0x1D, unsigned.
    __m128i offset = _mm_sub_epi8(first, _mm_set1_epi8(char(0xC2)));
    __m128i twoLead = _mm_cmpeq_epi8(_mm_max_epu8(offset, _mm_set1_epi8(0x1D)), _mm_set1_epi8(0x1D));
    __m128i threeLead =
        _mm_cmpeq_epi8(_mm_and_si128(first, _mm_set1_epi8(char(0xF0))), _mm_set1_epi8(char(0xE0)));
    block.stops = unsigned(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(first, _mm_set1_epi8('"')), _mm_cmpeq_epi8(first, _mm_set1_epi8('\\')))));
    block.continuations = unsigned(_mm_movemask_epi8(continuation));
    block.twoByteLeads = unsigned(_mm_movemask_epi8(twoLead));
    block.threeByteLeads = unsigned(_mm_movemask_epi8(threeLead));
    block.otherHigh = unsigned(_mm_movemask_epi8(first)) &
                      ~(block.continuations | block.twoByteLeads | block.threeByteLeads);
    const __m128i zero = _mm_setzero_si128();
    __m128i bad[2];
    for (int half = 0; half < 2; ++half) {
        __m128i lead = half == 0 ? _mm_unpacklo_epi8(first, zero) : _mm_unpackhi_epi8(first, zero);
        __m128i next = half == 0 ? _mm_unpacklo_epi8(second, zero) : _mm_unpackhi_epi8(second, zero);
        __m128i last = half == 0 ? _mm_unpacklo_epi8(third, zero) : _mm_unpackhi_epi8(third, zero);
        __m128i six = _mm_set1_epi16(0x3F);
        __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x1F)), 6),
                                   _mm_and_si128(next, six));
        __m128i three =
            _mm_or_si128(_mm_slli_epi16(lead, 12),
                         _mm_or_si128(_mm_slli_epi16(_mm_and_si128(next, six), 6), _mm_and_si128(last, six)));
        __m128i isASCII = _mm_cmplt_epi16(lead, _mm_set1_epi16(0x80));
        __m128i isTwo = _mm_cmplt_epi16(lead, _mm_set1_epi16(0xE0));
        __m128i wide = _mm_or_si128(_mm_and_si128(isTwo, two), _mm_andnot_si128(isTwo, three));
        __m128i unit = _mm_or_si128(_mm_and_si128(isASCII, lead), _mm_andnot_si128(isASCII, wide));
        _mm_store_si128(reinterpret_cast<__m128i*>(block.units + 8 * half), unit);
        // Below U+0800 is overlong for three bytes; U+D800-U+DFFF are surrogates.
        __m128i top = _mm_and_si128(three, _mm_set1_epi16(short(0xF800)));
        bad[half] =
            _mm_or_si128(_mm_cmpeq_epi16(top, zero), _mm_cmpeq_epi16(top, _mm_set1_epi16(short(0xD800))));
    }
    block.badThree = unsigned(_mm_movemask_epi8(_mm_packs_epi16(bad[0], bad[1]))) & block.threeByteLeads;
}
#else
// NEON has no movemask: each byte's flag is weighted by its bit and the halves added up.
inline unsigned byteMask(uint8x16_t flags) {
    static constexpr std::uint8_t weights[16] = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
    uint8x16_t weighted = vandq_u8(flags, vld1q_u8(weights));
    return unsigned(vaddv_u8(vget_low_u8(weighted))) | unsigned(vaddv_u8(vget_high_u8(weighted))) << 8;
}

inline void loadMixedBlock(const std::uint8_t* bytes, MixedBlock& block) {
    uint8x16_t first = load(bytes);
    uint8x16_t second = load(bytes + 1);
    uint8x16_t third = load(bytes + 2);
    uint8x16_t continuation = vandq_u8(vcgeq_u8(first, vdupq_n_u8(0x80)), vcleq_u8(first, vdupq_n_u8(0xBF)));
    uint8x16_t twoLead = vandq_u8(vcgeq_u8(first, vdupq_n_u8(0xC2)), vcleq_u8(first, vdupq_n_u8(0xDF)));
    uint8x16_t threeLead = vceqq_u8(vandq_u8(first, vdupq_n_u8(0xF0)), vdupq_n_u8(0xE0));
    block.stops = byteMask(vorrq_u8(vceqq_u8(first, vdupq_n_u8('"')), vceqq_u8(first, vdupq_n_u8('\\'))));
    block.continuations = byteMask(continuation);
    block.twoByteLeads = byteMask(twoLead);
    block.threeByteLeads = byteMask(threeLead);
    block.otherHigh = byteMask(vcgeq_u8(first, vdupq_n_u8(0x80))) &
                      ~(block.continuations | block.twoByteLeads | block.threeByteLeads);
    uint16x8_t bad[2];
    for (int half = 0; half < 2; ++half) {
        uint16x8_t lead = vmovl_u8(half == 0 ? vget_low_u8(first) : vget_high_u8(first));
        uint16x8_t next = vmovl_u8(half == 0 ? vget_low_u8(second) : vget_high_u8(second));
        uint16x8_t last = vmovl_u8(half == 0 ? vget_low_u8(third) : vget_high_u8(third));
        uint16x8_t six = vdupq_n_u16(0x3F);
        uint16x8_t two = vorrq_u16(vshlq_n_u16(vandq_u16(lead, vdupq_n_u16(0x1F)), 6), vandq_u16(next, six));
        uint16x8_t three = vorrq_u16(vshlq_n_u16(lead, 12),
                                     vorrq_u16(vshlq_n_u16(vandq_u16(next, six), 6), vandq_u16(last, six)));
        uint16x8_t unit = vbslq_u16(vcltq_u16(lead, vdupq_n_u16(0x80)), lead,
                                    vbslq_u16(vcltq_u16(lead, vdupq_n_u16(0xE0)), two, three));
        vst1q_u16(block.units + 8 * half, unit);
        uint16x8_t top = vandq_u16(three, vdupq_n_u16(0xF800));
        bad[half] = vorrq_u16(vceqq_u16(top, vdupq_n_u16(0)), vceqq_u16(top, vdupq_n_u16(0xD800)));
    }
    block.badThree = byteMask(vcombine_u8(vmovn_u16(bad[0]), vmovn_u16(bad[1]))) & block.threeByteLeads;
}
#endif

// Decodes the longest run of whole characters of one to three bytes at `bytes` that ends within
// its sixteen bytes and before a quotation mark or backslash, into units at `target`; returns
// the bytes taken, 0 when none (a stop, a four-byte sequence, or bytes that are not UTF-8, which
// the byte-by-byte path then reports). Eighteen bytes must be readable. The sequences are checked
// as decodeUTF8() checks them: each lead followed by exactly its continuation bytes, no overlong
// form, no surrogate.
inline std::size_t decodeMixedBlock(const std::uint8_t* bytes, char16_t*& target) {
    MixedBlock block;
    loadMixedBlock(bytes, block);
    unsigned end = unsigned(std::countr_zero(block.stops | block.otherHigh | 0x10000u));
    // A sequence that does not end before `end` is left for the next block: a lead just before
    // it, or a three-byte lead two before it. Without branches, which would follow the text.
    unsigned leads = block.twoByteLeads | block.threeByteLeads;
    unsigned cutOne = (leads << 1 >> end) & 1;
    unsigned cutTwo = (block.threeByteLeads << 2 >> end) & 1 & ~cutOne;
    end -= cutOne + 2 * cutTwo;
    unsigned taken = (1u << end) - 1;
    unsigned two = block.twoByteLeads & taken, three = block.threeByteLeads & taken;
    unsigned expected = two << 1 | three << 1 | three << 2;
    if (end == 0 || expected != (block.continuations & taken) || (block.badThree & taken) != 0)
        return 0;
    // Each unit is stored where the next one goes, and the target moves past it only where a
    // character starts: sixteen steps without a branch. The unit stored past the last character
    // is within the room, which the caller reserves one unit larger than the bytes.
    unsigned starts = taken & ~block.continuations;
    char16_t* out = target;
    for (unsigned position = 0; position < 16; ++position) {
        *out = char16_t(block.units[position]);
        out += starts >> position & 1;
    }
    target = out;
    return end;
}
#endif

} // namespace torvane::byteRuns
