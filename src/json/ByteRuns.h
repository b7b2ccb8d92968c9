#pragma once

// The inner loops of the reader and the writer: the ends of runs of plain string bytes and of
// whitespace, the check of text beyond ASCII, and the bytes the writer must escape. Sixteen bytes at a time
// with SSE2 on x86-64 or NEON on arm64 (both part of every processor of their architecture, so no
// processor-specific build is needed), eight at a time in plain integer words elsewhere and when TORVANE_SIMD
// is 0. The check of strings by table lookups also needs SSSE3 on x86-64, which is asked of the
// processor at run time. Every path gives the same results; the tests run the build both ways.

#include "foundation/Unicode.h"

#include <array>
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
#include <tmmintrin.h>
#elif TORVANE_SIMD && defined(__ARM_NEON) && defined(__aarch64__)
#define TORVANE_BYTE_RUNS_NEON 1
#include <arm_neon.h>
#endif

namespace torvane::byteRuns {

// MARK: - Eight-byte words, for every build

// Eight bytes, the first lowest on any byte order; compilers make this one load where the order
// is little-endian.
inline std::uint64_t loadWord(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= std::uint64_t(bytes[i]) << (8 * i);
    return value;
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
// The writer's stops (see escapeStops) in a word: the high bit of each such byte.
inline std::uint64_t wordEscapeStops(std::uint64_t word) {
    // A byte below 0x80 reaches 0x80 with 0x60 added exactly when it is 0x20 or more.
    std::uint64_t control = ~(((word & repeatByte(0x7F)) + repeatByte(0x60)) | word) & repeatByte(0x80);
    return control | equalBytes(word, '"') | equalBytes(word, '\\') | equalBytes(word, '/') |
           equalBytes(word, 0xED);
}

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
// The writer's stops: control characters, '"', '\\', '/' and 0xED, the lead byte of a lone
// surrogate's three bytes (and of some characters, which the writer copies).
inline std::uint64_t escapeStops(Block block) {
    __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(0x1F)), _mm_set1_epi8(0x1F));
    __m128i quoteOrBackslash =
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')), _mm_cmpeq_epi8(block, _mm_set1_epi8('\\')));
    __m128i slashOrED = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('/')),
                                     _mm_cmpeq_epi8(block, _mm_set1_epi8(char(0xED))));
    return unsigned(_mm_movemask_epi8(_mm_or_si128(control, _mm_or_si128(quoteOrBackslash, slashOrED))));
}
inline std::uint64_t nonWhitespace(Block block) {
    // 0x09-0x0D: the byte minus 9 is at most 4, unsigned.
    __m128i control = _mm_sub_epi8(block, _mm_set1_epi8(9));
    __m128i isControl = _mm_cmpeq_epi8(_mm_max_epu8(control, _mm_set1_epi8(4)), _mm_set1_epi8(4));
    __m128i isSpace = _mm_cmpeq_epi8(block, _mm_set1_epi8(' '));
    return unsigned(~_mm_movemask_epi8(_mm_or_si128(isControl, isSpace))) & 0xFFFF;
}
inline void store(Block block, std::uint8_t* target) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), block);
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
inline std::uint64_t escapeStops(Block block) {
    uint8x16_t stops =
        vorrq_u8(vorrq_u8(vcltq_u8(block, vdupq_n_u8(0x20)), vceqq_u8(block, vdupq_n_u8('"'))),
                 vorrq_u8(vorrq_u8(vceqq_u8(block, vdupq_n_u8('\\')), vceqq_u8(block, vdupq_n_u8('/'))),
                          vceqq_u8(block, vdupq_n_u8(0xED))));
    return nibbleMask(stops);
}
inline std::uint64_t nonWhitespace(Block block) {
    uint8x16_t isControl = vcleq_u8(vsubq_u8(block, vdupq_n_u8(9)), vdupq_n_u8(4));
    uint8x16_t isSpace = vceqq_u8(block, vdupq_n_u8(' '));
    return nibbleMask(vmvnq_u8(vorrq_u8(isControl, isSpace)));
}
inline void store(Block block, std::uint8_t* target) {
    vst1q_u8(target, block);
}
#else
// Two 64-bit words stand in for a block; masks have one bit per byte, as with SSE2.
constexpr int maskBitsPerByte = 1;
struct Block {
    std::uint64_t low;
    std::uint64_t high;
};
inline Block load(const std::uint8_t* bytes) {
    return {loadWord(bytes), loadWord(bytes + 8)};
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
inline std::uint64_t escapeStops(Block block) {
    return gatherHighBits(wordEscapeStops(block.low)) | gatherHighBits(wordEscapeStops(block.high)) << 8;
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
inline void store(Block block, std::uint8_t* target) {
    for (int i = 0; i < 8; ++i) {
        target[i] = std::uint8_t(block.low >> (8 * i));
        target[i + 8] = std::uint8_t(block.high >> (8 * i));
    }
}
#endif

// MARK: - Escapes

// The byte each escape of two characters stands for, by the character after the backslash;
// 0 for the rest (\u escapes and wrong ones), which the caller decodes.
constexpr std::array<std::uint8_t, 256> makeShortEscapes() {
    std::array<std::uint8_t, 256> table{};
    table['"'] = '"';
    table['/'] = '/';
    table['\\'] = '\\';
    table['b'] = 0x08;
    table['f'] = 0x0C;
    table['n'] = 0x0A;
    table['r'] = 0x0D;
    table['t'] = 0x09;
    return table;
}
constexpr auto shortEscapes = makeShortEscapes();

inline int hexDigit(std::uint8_t byte) {
    if (byte >= '0' && byte <= '9')
        return byte - '0';
    if (byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return -1;
}

// The unit of the \u escape at `source` (six bytes, which must be there), or -1.
inline long unicodeEscape(const std::uint8_t* source) {
    if (source[0] != '\\' || source[1] != 'u')
        return -1;
    long unit = 0;
    for (int i = 2; i < 6; ++i) {
        int digit = hexDigit(source[i]);
        if (digit < 0)
            return -1;
        unit = unit << 4 | digit;
    }
    return unit;
}

// The code point of a pair, where `unit` is a high surrogate and the \u escape at `next` (six
// bytes, which must be there) a low one; 0 for anything else, which keeps each unit.
inline char32_t pairedCodePoint(long unit, const std::uint8_t* next) {
    if (unit < 0 || !isHighSurrogate(char16_t(unit)))
        return 0;
    long low = unicodeEscape(next);
    return low >= 0 && isLowSurrogate(char16_t(low)) ? codePointOfPair(char32_t(unit), char32_t(low)) : 0;
}

// MARK: - Runs

// The index of the first byte set in a mask that is not zero.
inline std::size_t firstByte(std::uint64_t mask) {
    return std::size_t(std::countr_zero(mask)) / maskBitsPerByte;
}

inline bool isStringStop(std::uint8_t byte) {
    return byte == '"' || byte == '\\' || byte >= 0x80;
}

inline bool isEscapeStop(std::uint8_t byte) {
    return byte < 0x20 || byte == '"' || byte == '\\' || byte == '/' || byte == 0xED;
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

// Whether the run of whitespace at `cursor` is exactly `length` bytes long, for a length from 1
// to 31 (to 15 where a mask has more than a bit a byte); 32 bytes must be readable.
inline bool isWhitespaceRunOf(const std::uint8_t* cursor, unsigned length) {
    if constexpr (maskBitsPerByte == 1) {
        std::uint64_t found = nonWhitespace(load(cursor)) | nonWhitespace(load(cursor + 16)) << 16;
        return (found & ((std::uint64_t(2) << length) - 1)) == std::uint64_t(1) << length;
    } else {
        if (length >= 16)
            return false;
        std::uint64_t found = nonWhitespace(load(cursor));
        std::uint64_t run = (std::uint64_t(1) << (maskBitsPerByte * length)) - 1;
        return (found & run) == 0 && ((found >> (maskBitsPerByte * length)) & 1) != 0;
    }
}

// MARK: - Text beyond ASCII, sixteen bytes at a time

#if defined(TORVANE_BYTE_RUNS_SSE2) || defined(TORVANE_BYTE_RUNS_NEON)
#define TORVANE_BYTE_RUNS_MIXED_BLOCKS 1

// The masks of the sixteen bytes at a position, one bit per byte, the first lowest.
struct MixedBlock {
    unsigned stops;          // '"' or '\\'
    unsigned continuations;  // 0x80-0xBF
    unsigned twoByteLeads;   // 0xC2-0xDF
    unsigned threeByteLeads; // 0xE0-0xEF
    unsigned fourByteLeads;  // 0xF0-0xF4
    unsigned otherHigh;      // 0xC0, 0xC1, 0xF5-0xFF: never in UTF-8
    // Leads whose second byte makes an overlong form (E0 80-9F, F0 80-8F), a surrogate (ED A0-BF)
    // or a code point past U+10FFFF (F4 90-BF).
    unsigned badSeconds;
};

#if defined(TORVANE_BYTE_RUNS_SSE2)
inline MixedBlock loadMixedBlock(const std::uint8_t* bytes) {
    __m128i first = load(bytes);
    __m128i second = load(bytes + 1);
    // 0x80-0xBF are the signed bytes below -64.
    __m128i continuation = _mm_cmplt_epi8(first, _mm_set1_epi8(char(0xC0)));
    // 0xC2-0xDF: the byte minus 0xC2 is at most 0x1D, unsigned.
    __m128i offset = _mm_sub_epi8(first, _mm_set1_epi8(char(0xC2)));
    __m128i twoLead = _mm_cmpeq_epi8(_mm_max_epu8(offset, _mm_set1_epi8(0x1D)), _mm_set1_epi8(0x1D));
    __m128i threeLead =
        _mm_cmpeq_epi8(_mm_and_si128(first, _mm_set1_epi8(char(0xF0))), _mm_set1_epi8(char(0xE0)));
    __m128i fourOffset = _mm_sub_epi8(first, _mm_set1_epi8(char(0xF0)));
    __m128i fourLead = _mm_cmpeq_epi8(_mm_max_epu8(fourOffset, _mm_set1_epi8(4)), _mm_set1_epi8(4));
    auto secondAtMost = [&](int highest) {
        return _mm_cmpeq_epi8(_mm_max_epu8(second, _mm_set1_epi8(char(highest))),
                              _mm_set1_epi8(char(highest)));
    };
    auto leadIs = [&](int lead) { return _mm_cmpeq_epi8(first, _mm_set1_epi8(char(lead))); };
    __m128i bad = _mm_or_si128(_mm_or_si128(_mm_and_si128(leadIs(0xE0), secondAtMost(0x9F)),
                                            _mm_andnot_si128(secondAtMost(0x9F), leadIs(0xED))),
                               _mm_or_si128(_mm_and_si128(leadIs(0xF0), secondAtMost(0x8F)),
                                            _mm_andnot_si128(secondAtMost(0x8F), leadIs(0xF4))));
    MixedBlock block;
    block.stops = unsigned(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(first, _mm_set1_epi8('"')), _mm_cmpeq_epi8(first, _mm_set1_epi8('\\')))));
    block.continuations = unsigned(_mm_movemask_epi8(continuation));
    block.twoByteLeads = unsigned(_mm_movemask_epi8(twoLead));
    block.threeByteLeads = unsigned(_mm_movemask_epi8(threeLead));
    block.fourByteLeads = unsigned(_mm_movemask_epi8(fourLead));
    block.otherHigh = unsigned(_mm_movemask_epi8(first)) & ~(block.continuations | block.twoByteLeads |
                                                             block.threeByteLeads | block.fourByteLeads);
    block.badSeconds = unsigned(_mm_movemask_epi8(bad));
    return block;
}
#else
// NEON has no movemask: each byte's flag is weighted by its bit and the halves added up.
inline unsigned byteMask(uint8x16_t flags) {
    static constexpr std::uint8_t weights[16] = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
    uint8x16_t weighted = vandq_u8(flags, vld1q_u8(weights));
    return unsigned(vaddv_u8(vget_low_u8(weighted))) | unsigned(vaddv_u8(vget_high_u8(weighted))) << 8;
}

inline MixedBlock loadMixedBlock(const std::uint8_t* bytes) {
    uint8x16_t first = load(bytes);
    uint8x16_t second = load(bytes + 1);
    uint8x16_t continuation = vandq_u8(vcgeq_u8(first, vdupq_n_u8(0x80)), vcleq_u8(first, vdupq_n_u8(0xBF)));
    uint8x16_t twoLead = vandq_u8(vcgeq_u8(first, vdupq_n_u8(0xC2)), vcleq_u8(first, vdupq_n_u8(0xDF)));
    uint8x16_t threeLead = vceqq_u8(vandq_u8(first, vdupq_n_u8(0xF0)), vdupq_n_u8(0xE0));
    uint8x16_t fourLead = vandq_u8(vcgeq_u8(first, vdupq_n_u8(0xF0)), vcleq_u8(first, vdupq_n_u8(0xF4)));
    uint8x16_t belowA0 = vcltq_u8(second, vdupq_n_u8(0xA0));
    uint8x16_t below90 = vcltq_u8(second, vdupq_n_u8(0x90));
    uint8x16_t bad = vorrq_u8(vorrq_u8(vandq_u8(vceqq_u8(first, vdupq_n_u8(0xE0)), belowA0),
                                       vbicq_u8(vceqq_u8(first, vdupq_n_u8(0xED)), belowA0)),
                              vorrq_u8(vandq_u8(vceqq_u8(first, vdupq_n_u8(0xF0)), below90),
                                       vbicq_u8(vceqq_u8(first, vdupq_n_u8(0xF4)), below90)));
    MixedBlock block;
    block.stops = byteMask(vorrq_u8(vceqq_u8(first, vdupq_n_u8('"')), vceqq_u8(first, vdupq_n_u8('\\'))));
    block.continuations = byteMask(continuation);
    block.twoByteLeads = byteMask(twoLead);
    block.threeByteLeads = byteMask(threeLead);
    block.fourByteLeads = byteMask(fourLead);
    block.otherHigh =
        byteMask(vcgeq_u8(first, vdupq_n_u8(0x80))) &
        ~(block.continuations | block.twoByteLeads | block.threeByteLeads | block.fourByteLeads);
    block.badSeconds = byteMask(bad);
    return block;
}
#endif

// The length of the longest run of whole, valid characters at `bytes` that ends within its
// sixteen bytes and before a quotation mark or backslash; 0 when there is none (a stop, or bytes
// that are not UTF-8, which the byte-by-byte path then reports). Seventeen bytes must be readable.
// The sequences are checked as decodeUTF8() checks them: each lead followed by exactly its
// continuation bytes, no overlong form, no surrogate, nothing past U+10FFFF.
inline std::size_t mixedRunLength(const std::uint8_t* bytes) {
    // ASCII up to a stop or through the block needs none of the checks below. Masks only: a
    // look at the byte where the ASCII ends would wait for the masks first.
    Block plain = load(bytes);
    std::uint64_t stops = stringStops(plain);
    if (stops == 0)
        return 16;
    if ((stops & (0 - stops) & quotesAndBackslashes(plain)) != 0)
        return firstByte(stops);
    MixedBlock block = loadMixedBlock(bytes);
    unsigned end = unsigned(std::countr_zero(block.stops | block.otherHigh | 0x10000u));
    // A sequence that does not end before `end` is left for the next block: a lead just before
    // it, a three- or four-byte lead two before it, or a four-byte lead three before it. Without
    // branches, which would follow the text.
    unsigned leads = block.twoByteLeads | block.threeByteLeads | block.fourByteLeads;
    unsigned longLeads = block.threeByteLeads | block.fourByteLeads;
    unsigned cutOne = (leads << 1 >> end) & 1;
    unsigned cutTwo = (longLeads << 2 >> end) & 1 & ~cutOne;
    unsigned cutThree = (block.fourByteLeads << 3 >> end) & 1 & ~cutOne & ~cutTwo;
    end -= cutOne + 2 * cutTwo + 3 * cutThree;
    unsigned taken = (1u << end) - 1;
    unsigned two = block.twoByteLeads & taken, three = block.threeByteLeads & taken;
    unsigned four = block.fourByteLeads & taken;
    unsigned expected = two << 1 | three << 1 | three << 2 | four << 1 | four << 2 | four << 3;
    if (end == 0 || expected != (block.continuations & taken) || (block.badSeconds & taken) != 0)
        return 0;
    return end;
}
#endif

// MARK: - Text beyond ASCII, copied whole and checked by table lookups

// The check of Keiser and Lemire ("Validating UTF-8 In Less Than One Instruction Per Byte", 2021):
// every byte is judged together with the one before it, by three sixteen-entry tables indexed by
// the earlier byte's two nibbles and this byte's high one, each entry a set of the faults that
// nibble allows; a fault is present where all three agree. Two and three bytes back tell where a
// continuation byte must come. No character is ever cut in two or looked at alone, so a block
// is taken whole even when it ends inside a character.
#if defined(TORVANE_BYTE_RUNS_SSE2) || defined(TORVANE_BYTE_RUNS_NEON)
#define TORVANE_BYTE_RUNS_CHECKED_COPY 1

namespace faultTables {
constexpr std::uint8_t tooShort = 1 << 0;         // a lead not followed by a continuation
constexpr std::uint8_t tooLong = 1 << 1;          // a continuation after ASCII
constexpr std::uint8_t overlong3 = 1 << 2;        // E0 80-9F
constexpr std::uint8_t tooLarge = 1 << 3;         // F4 90-BF, F5-FF 90-BF
constexpr std::uint8_t surrogate = 1 << 4;        // ED A0-BF
constexpr std::uint8_t overlong2 = 1 << 5;        // C0 or C1, then a continuation
constexpr std::uint8_t tooLarge1000 = 1 << 6;     // F5-FF 80-8F
constexpr std::uint8_t overlong4 = 1 << 6;        // F0 80-8F (its low nibble keeps it apart)
constexpr std::uint8_t twoContinuations = 1 << 7; // a fault unless a lead two or three back wants it
constexpr std::uint8_t carry = tooShort | tooLong | twoContinuations;

// The earlier byte's high nibble.
constexpr std::uint8_t firstHigh[16] = {tooLong,
                                        tooLong,
                                        tooLong,
                                        tooLong,
                                        tooLong,
                                        tooLong,
                                        tooLong,
                                        tooLong,
                                        twoContinuations,
                                        twoContinuations,
                                        twoContinuations,
                                        twoContinuations,
                                        tooShort | overlong2,
                                        tooShort,
                                        tooShort | overlong3 | surrogate,
                                        tooShort | tooLarge | tooLarge1000 | overlong4};
// The earlier byte's low nibble.
constexpr std::uint8_t firstLow[16] = {carry | overlong3 | overlong2 | overlong4,
                                       carry | overlong2,
                                       carry,
                                       carry,
                                       carry | tooLarge,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000 | surrogate,
                                       carry | tooLarge | tooLarge1000,
                                       carry | tooLarge | tooLarge1000};
// This byte's high nibble.
constexpr std::uint8_t secondHigh[16] = {tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooLong | overlong2 | twoContinuations | overlong3 | tooLarge1000 |
                                             overlong4,
                                         tooLong | overlong2 | twoContinuations | overlong3 | tooLarge,
                                         tooLong | overlong2 | twoContinuations | surrogate | tooLarge,
                                         tooLong | overlong2 | twoContinuations | surrogate | tooLarge,
                                         tooShort,
                                         tooShort,
                                         tooShort,
                                         tooShort};
} // namespace faultTables

// Where a run of checked text ended.
enum class CheckedStop { quote, escape, limit };
struct CheckedRun {
    CheckedStop stop;
    bool wrong; // a byte taken, or the stop, breaks UTF-8
};

#if defined(TORVANE_BYTE_RUNS_SSE2)
// The lookups need SSSE3, which nearly every x86-64 processor has; the caller asks first.
inline bool hasCheckedCopy() {
    return __builtin_cpu_supports("ssse3");
}
#define TORVANE_BYTE_RUNS_CHECKED_TARGET [[gnu::target("ssse3")]]
#else
inline bool hasCheckedCopy() {
    return true;
}
#define TORVANE_BYTE_RUNS_CHECKED_TARGET
#endif

#if defined(TORVANE_BYTE_RUNS_SSE2)
using FaultBlock = __m128i;
// The faults of the sixteen bytes at `at`, as the bytes before them leave them.
TORVANE_BYTE_RUNS_CHECKED_TARGET inline __m128i utf8Faults(__m128i block, const std::uint8_t* at) {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    auto table = [](const std::uint8_t* entries) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries));
    };
    __m128i before = load(at - 1);
    __m128i firstHigh =
        _mm_shuffle_epi8(table(faultTables::firstHigh), _mm_and_si128(_mm_srli_epi16(before, 4), nibble));
    __m128i firstLow = _mm_shuffle_epi8(table(faultTables::firstLow), _mm_and_si128(before, nibble));
    __m128i secondHigh =
        _mm_shuffle_epi8(table(faultTables::secondHigh), _mm_and_si128(_mm_srli_epi16(block, 4), nibble));
    __m128i found = _mm_and_si128(_mm_and_si128(firstHigh, firstLow), secondHigh);
    // A lead two back (E0 on) or three back (F0 on) wants a continuation here, and then the
    // two-continuations fault is what is right: the high bits of the two cancel.
    __m128i wanted = _mm_or_si128(_mm_subs_epu8(load(at - 2), _mm_set1_epi8(char(0xE0 - 0x80))),
                                  _mm_subs_epu8(load(at - 3), _mm_set1_epi8(char(0xF0 - 0x80))));
    return _mm_xor_si128(found, _mm_and_si128(wanted, _mm_set1_epi8(char(0x80))));
}
inline __m128i noFaults() {
    return _mm_setzero_si128();
}
inline __m128i bothFaults(__m128i left, __m128i right) {
    return _mm_or_si128(left, right);
}
// One bit for each byte with a fault, the first lowest.
inline unsigned faultMask(__m128i found) {
    return ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(found, _mm_setzero_si128()))) & 0xFFFFu;
}
#else
using FaultBlock = uint8x16_t;
inline uint8x16_t utf8Faults(uint8x16_t block, const std::uint8_t* at) {
    uint8x16_t before = load(at - 1);
    uint8x16_t found =
        vandq_u8(vandq_u8(vqtbl1q_u8(vld1q_u8(faultTables::firstHigh), vshrq_n_u8(before, 4)),
                          vqtbl1q_u8(vld1q_u8(faultTables::firstLow), vandq_u8(before, vdupq_n_u8(0x0F)))),
                 vqtbl1q_u8(vld1q_u8(faultTables::secondHigh), vshrq_n_u8(block, 4)));
    uint8x16_t wanted = vorrq_u8(vqsubq_u8(load(at - 2), vdupq_n_u8(0xE0 - 0x80)),
                                 vqsubq_u8(load(at - 3), vdupq_n_u8(0xF0 - 0x80)));
    return veorq_u8(found, vandq_u8(wanted, vdupq_n_u8(0x80)));
}
inline uint8x16_t noFaults() {
    return vdupq_n_u8(0);
}
inline uint8x16_t bothFaults(uint8x16_t left, uint8x16_t right) {
    return vorrq_u8(left, right);
}
inline unsigned faultMask(uint8x16_t found) {
    return byteMask(vtstq_u8(found, found));
}
#endif

// Copies the string bytes at `source` to `target` sixteen at a time and checks that they are
// UTF-8, taking escapes of two characters on the way, up to the closing quotation mark, another
// escape, or until fewer than eighteen bytes are left before `limit`. Both pointers are left
// at the stop. Three bytes before `source` must be readable and the one just before it ASCII
// (the opening quotation mark, or the end of an escape). Faults are only reported, not placed:
// the caller reads a wrong string again one character at a time.
TORVANE_BYTE_RUNS_CHECKED_TARGET inline CheckedRun
checkedCopy(const std::uint8_t*& source, const std::uint8_t* limit, std::uint8_t*& target) {
    FaultBlock seen = noFaults();
    bool wrong = false;
    while (limit - source >= 18) {
        Block block = load(source);
        store(block, target);
        FaultBlock found = utf8Faults(block, source);
        std::uint64_t stops = quotesAndBackslashes(block);
        if (stops == 0) {
            seen = bothFaults(seen, found);
            source += 16;
            target += 16;
            continue;
        }
        std::size_t stop = firstByte(stops);
        wrong = wrong || (faultMask(found) & ((2u << stop) - 1)) != 0;
        source += stop;
        target += stop;
        if (*source == '"')
            return {CheckedStop::quote, wrong || faultMask(seen) != 0};
        // Within the limit: the block held the backslash and the byte after it.
        if (std::uint8_t escaped = shortEscapes[source[1]]; escaped != 0) {
            *target++ = escaped;
            source += 2;
            continue;
        }
        // \u escapes of a character, or of a pair of surrogates, where twelve bytes are left;
        // lone surrogates and wrong escapes go to the caller.
        if (limit - source >= 12) {
            long unit = unicodeEscape(source);
            if (unit >= 0 && !isHighSurrogate(char16_t(unit)) && !isLowSurrogate(char16_t(unit))) {
                target = writeUTF8(char32_t(unit), target);
                source += 6;
                continue;
            }
            if (char32_t pair = pairedCodePoint(unit, source + 6); pair != 0) {
                target = writeUTF8(pair, target);
                source += 12;
                continue;
            }
        }
        return {CheckedStop::escape, wrong || faultMask(seen) != 0};
    }
    return {CheckedStop::limit, wrong || faultMask(seen) != 0};
}
#endif

} // namespace torvane::byteRuns
