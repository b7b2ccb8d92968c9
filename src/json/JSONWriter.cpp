#include "json/JSONWriter.h"

#include "foundation/GenericException.h"
#include "foundation/Unicode.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "json/ByteRuns.h"

namespace torvane {

namespace {

// For each ASCII character: 0 when it is written as it stands, otherwise the character that
// follows the backslash of its escape ('u' for the \u00XX form).
constexpr std::array<char, 128> escapes = [] {
    std::array<char, 128> table{};
    for (int c = 0; c < 0x20; ++c)
        table[c] = 'u';
    table['\\'] = '\\';
    table['"'] = '"';
    table['/'] = '/';
    table['\b'] = 'b';
    table['\f'] = 'f';
    table['\n'] = 'n';
    table['\r'] = 'r';
    table['\t'] = 't';
    return table;
}();

constexpr char hexDigits[] = "0123456789abcdef";

// Below this magnitude every integral double is exactly an int64, and its digits are the text
// that readers and people expect ("1", "1700000000") rather than an exponent form.
constexpr double exactIntegerLimit = 9007199254740992.0; // 2^53

std::uint8_t* writeUnicodeEscape(std::uint8_t* out, char16_t unit) {
    *out++ = '\\';
    *out++ = 'u';
    *out++ = std::uint8_t(hexDigits[(unit >> 12) & 0xF]);
    *out++ = std::uint8_t(hexDigits[(unit >> 8) & 0xF]);
    *out++ = std::uint8_t(hexDigits[(unit >> 4) & 0xF]);
    *out++ = std::uint8_t(hexDigits[unit & 0xF]);
    return out;
}

std::uint8_t* writeEscape(std::uint8_t* out, char16_t unit, char escape) {
    if (escape == 'u')
        return writeUnicodeEscape(out, unit);
    *out++ = '\\';
    *out++ = std::uint8_t(escape);
    return out;
}

// MARK: - The string rule, eight units at a time

// Writes one unit that is neither a surrogate nor ASCII with an escape as its one to three bytes
// of UTF-8, and returns the end. Text beyond ASCII mixes units of each length (the words of a
// script between spaces), so where the byte order allows there is no branch on the length: all
// three forms are made, the one that applies is stored as one word, and the cursor moves by its
// length. The word may reach one byte past the unit's text: the caller has room.
inline std::uint8_t* writeWideUnit(std::uint8_t* out, std::uint32_t code) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t two = (0xC0 | code >> 6) | (0x80 | (code & 0x3F)) << 8;
        std::uint32_t three =
            (0xE0 | code >> 12) | (0x80 | (code >> 6 & 0x3F)) << 8 | (0x80 | (code & 0x3F)) << 16;
        // Masks rather than conditions, which compilers turn back into branches.
        std::uint32_t beyondOne = 0u - std::uint32_t(code >= 0x80);
        std::uint32_t beyondTwo = 0u - std::uint32_t(code >= 0x800);
        std::uint32_t wide = two ^ ((two ^ three) & beyondTwo);
        std::uint32_t word = code ^ ((code ^ wide) & beyondOne);
        std::memcpy(out, &word, 4);
        return out + 1 + (beyondOne & 1) + (beyondTwo & 1);
    } else {
        if (code < 0x80) {
            *out++ = std::uint8_t(code);
        } else if (code < 0x800) {
            *out++ = std::uint8_t(0xC0 | (code >> 6));
            *out++ = std::uint8_t(0x80 | (code & 0x3F));
        } else {
            *out++ = std::uint8_t(0xE0 | (code >> 12));
            *out++ = std::uint8_t(0x80 | ((code >> 6) & 0x3F));
            *out++ = std::uint8_t(0x80 | (code & 0x3F));
        }
        return out;
    }
}

// Writes the unit at `unit` by the string rule, with the one after it when the two are a
// surrogate pair, and moves past them.
inline std::uint8_t* writeUnit(std::uint8_t* out, const char16_t*& unit, const char16_t* end) {
    char16_t current = *unit++;
    if (current < 0x80) {
        char escape = escapes[current];
        if (escape == 0) [[likely]] {
            *out++ = std::uint8_t(current);
            return out;
        }
        return writeEscape(out, current, escape);
    }
    if ((current & 0xF800) != 0xD800)
        return writeWideUnit(out, current);
    if (isHighSurrogate(current) && unit < end && isLowSurrogate(*unit)) {
        char32_t codePoint = 0x10000 + ((char32_t(current) - 0xD800) << 10) + (char32_t(*unit++) - 0xDC00);
        *out++ = std::uint8_t(0xF0 | (codePoint >> 18));
        *out++ = std::uint8_t(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = std::uint8_t(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = std::uint8_t(0x80 | (codePoint & 0x3F));
        return out;
    }
    // A lone surrogate has no UTF-8; the escape gives readers back the very unit.
    return writeUnicodeEscape(out, current);
}

// What eight units in a row need: how many of them, from the first, are ASCII written as they
// stand, and whether any is ASCII with an escape or a surrogate. scanBlock() also stores the
// eight units narrowed to bytes at `out`, so that the clean ones are then in place; the caller
// has room. SSE2 and NEON are part of every processor of their architecture, so this needs no
// processor-specific build.
struct BlockScan {
    std::size_t cleanPrefix;
    bool escapes;
    bool surrogates;
};

#if defined(TORVANE_BYTE_RUNS_SSE2)
inline BlockScan scanBlock(const char16_t* units, std::uint8_t* out) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
    // The compare below 0x20 is signed and also takes the units from 0x8000 on: only its ASCII
    // lanes count.
    __m128i escaped =
        _mm_and_si128(ascii, _mm_or_si128(_mm_or_si128(_mm_cmplt_epi16(block, _mm_set1_epi16(0x20)),
                                                       _mm_cmpeq_epi16(block, _mm_set1_epi16('"'))),
                                          _mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16('/')),
                                                       _mm_cmpeq_epi16(block, _mm_set1_epi16('\\')))));
    __m128i surrogate =
        _mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(short(0xF800))), _mm_set1_epi16(short(0xD800)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(block, block));
    auto clean = unsigned(_mm_movemask_epi8(_mm_andnot_si128(escaped, ascii)));
    return {std::size_t(std::countr_one(clean)) / 2, _mm_movemask_epi8(escaped) != 0,
            _mm_movemask_epi8(surrogate) != 0};
}

// Writes units [first, 8) of the eight at `units`, none of them a surrogate or ASCII with an
// escape: their UTF-8 words and lengths are made four units at a time, then stored one after the
// other without a branch. Each word may reach one byte past its unit's text; the caller has room.
inline std::uint8_t* writeWideBlock(std::uint8_t* out, const char16_t* units, std::size_t first) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    alignas(16) std::uint32_t words[8];
    alignas(16) std::uint32_t lengths[8];
    for (int half = 0; half < 2; ++half) {
        __m128i code = half == 0 ? _mm_unpacklo_epi16(block, _mm_setzero_si128())
                                 : _mm_unpackhi_epi16(block, _mm_setzero_si128());
        __m128i low6 = _mm_and_si128(code, _mm_set1_epi32(0x3F));
        __m128i middle6 = _mm_and_si128(_mm_srli_epi32(code, 6), _mm_set1_epi32(0x3F));
        __m128i two = _mm_or_si128(_mm_or_si128(_mm_srli_epi32(code, 6), _mm_slli_epi32(low6, 8)),
                                   _mm_set1_epi32(0x80C0));
        __m128i three = _mm_or_si128(_mm_or_si128(_mm_srli_epi32(code, 12), _mm_slli_epi32(middle6, 8)),
                                     _mm_or_si128(_mm_slli_epi32(low6, 16), _mm_set1_epi32(0x8080E0)));
        __m128i beyondOne = _mm_cmpgt_epi32(code, _mm_set1_epi32(0x7F));
        __m128i beyondTwo = _mm_cmpgt_epi32(code, _mm_set1_epi32(0x7FF));
        __m128i wide = _mm_or_si128(_mm_andnot_si128(beyondTwo, two), _mm_and_si128(beyondTwo, three));
        __m128i word = _mm_or_si128(_mm_andnot_si128(beyondOne, code), _mm_and_si128(beyondOne, wide));
        // The masks are -1 where they hold: 1 - (-1) - (-1) is 3.
        __m128i length = _mm_sub_epi32(_mm_sub_epi32(_mm_set1_epi32(1), beyondOne), beyondTwo);
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 4 * half), word);
        _mm_store_si128(reinterpret_cast<__m128i*>(lengths + 4 * half), length);
    }
    for (std::size_t i = first; i < 8; ++i) {
        std::memcpy(out, &words[i], 4);
        out += lengths[i];
    }
    return out;
}
#elif defined(TORVANE_BYTE_RUNS_NEON)
inline BlockScan scanBlock(const char16_t* units, std::uint8_t* out) {
    uint16x8_t block = vld1q_u16(reinterpret_cast<const std::uint16_t*>(units));
    uint16x8_t ascii = vcltq_u16(block, vdupq_n_u16(0x80));
    uint16x8_t escaped =
        vorrq_u16(vorrq_u16(vcltq_u16(block, vdupq_n_u16(0x20)), vceqq_u16(block, vdupq_n_u16('"'))),
                  vorrq_u16(vceqq_u16(block, vdupq_n_u16('/')), vceqq_u16(block, vdupq_n_u16('\\'))));
    uint16x8_t surrogate = vceqq_u16(vandq_u16(block, vdupq_n_u16(0xF800)), vdupq_n_u16(0xD800));
    vst1_u8(out, vmovn_u16(block));
    // One byte per unit, 0xFF where clean.
    std::uint64_t cleanBytes = vget_lane_u64(vreinterpret_u64_u8(vmovn_u16(vbicq_u16(ascii, escaped))), 0);
    return {std::size_t(std::countr_one(cleanBytes)) / 8, vmaxvq_u16(escaped) != 0,
            vmaxvq_u16(surrogate) != 0};
}

inline std::uint8_t* writeWideBlock(std::uint8_t* out, const char16_t* units, std::size_t first) {
    uint16x8_t block = vld1q_u16(reinterpret_cast<const std::uint16_t*>(units));
    alignas(16) std::uint32_t words[8];
    alignas(16) std::uint32_t lengths[8];
    for (int half = 0; half < 2; ++half) {
        uint32x4_t code = vmovl_u16(half == 0 ? vget_low_u16(block) : vget_high_u16(block));
        uint32x4_t low6 = vandq_u32(code, vdupq_n_u32(0x3F));
        uint32x4_t middle6 = vandq_u32(vshrq_n_u32(code, 6), vdupq_n_u32(0x3F));
        uint32x4_t two =
            vorrq_u32(vorrq_u32(vshrq_n_u32(code, 6), vshlq_n_u32(low6, 8)), vdupq_n_u32(0x80C0));
        uint32x4_t three = vorrq_u32(vorrq_u32(vshrq_n_u32(code, 12), vshlq_n_u32(middle6, 8)),
                                     vorrq_u32(vshlq_n_u32(low6, 16), vdupq_n_u32(0x8080E0)));
        uint32x4_t beyondOne = vcgtq_u32(code, vdupq_n_u32(0x7F));
        uint32x4_t beyondTwo = vcgtq_u32(code, vdupq_n_u32(0x7FF));
        uint32x4_t word = vbslq_u32(beyondOne, vbslq_u32(beyondTwo, three, two), code);
        uint32x4_t length = vsubq_u32(vsubq_u32(vdupq_n_u32(1), beyondOne), beyondTwo);
        vst1q_u32(words + 4 * half, word);
        vst1q_u32(lengths + 4 * half, length);
    }
    for (std::size_t i = first; i < 8; ++i) {
        std::memcpy(out, &words[i], 4);
        out += lengths[i];
    }
    return out;
}
#else
inline BlockScan scanBlock(const char16_t* units, std::uint8_t* out) {
    BlockScan scan{8, false, false};
    for (std::size_t i = 0; i < 8; ++i) {
        char16_t unit = units[i];
        bool escaped = unit < 0x80 && escapes[unit] != 0;
        if ((unit >= 0x80 || escaped) && scan.cleanPrefix == 8)
            scan.cleanPrefix = i;
        scan.escapes = scan.escapes || escaped;
        scan.surrogates = scan.surrogates || (unit & 0xF800) == 0xD800;
        out[i] = std::uint8_t(unit);
    }
    return scan;
}

inline std::uint8_t* writeWideBlock(std::uint8_t* out, const char16_t* units, std::size_t first) {
    for (std::size_t i = first; i < 8; ++i)
        out = writeWideUnit(out, units[i]);
    return out;
}
#endif

} // namespace

void raiseTypeException(std::string_view className) {
    throw GenericException("Cannot serialize data of type '" + std::string(className) + "'");
}

void raiseObjectException(const Node& node) {
    throw GenericException("Could not serialize object '" + Value(nullptr, &node).description() + "'");
}

void JSONWriter::grow(std::size_t bytes) {
    std::size_t capacity = std::max({m_capacity * 2, m_size + bytes, std::size_t(256)});
    auto* grown = static_cast<std::uint8_t*>(std::realloc(m_bytes.get(), capacity));
    if (!grown)
        throw std::bad_alloc();
    (void)m_bytes.release();
    m_bytes.reset(grown);
    m_capacity = capacity;
}

Data JSONWriter::takeData() {
    if (m_size == 0)
        (void)room(1);
    // Only a buffer that is mostly empty room gives the room back. Shrinking a large block hands
    // its tail to the allocator, which may return it to the system, and the next large text then
    // faults its pages in afresh: that cost more than the whole writing in measurements.
    // An empty text keeps one byte: realloc to zero bytes would free the block and give null.
    if (m_capacity - m_size > m_size / 2 + 64) {
        if (auto* fitted =
                static_cast<std::uint8_t*>(std::realloc(m_bytes.get(), std::max<std::size_t>(m_size, 1)))) {
            (void)m_bytes.release();
            m_bytes.reset(fitted);
        }
    }
    Data data = Data::adopt(std::move(m_bytes), m_size);
    m_size = m_capacity = 0;
    return data;
}

void JSONWriter::writeRaw(std::string_view bytes) {
    // An empty fragment has no bytes, and before the first write there is no buffer either.
    if (bytes.empty())
        return;
    std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
    m_size += bytes.size();
}

inline bool JSONWriter::isSmallInteger(double value) {
    // Non-negative doubles order as their bits do, and -0 (the sign bit) and NaN (bits above the
    // infinity's) fall above 1e9's bits: one compare takes [+0, 1e9), another the whole ones.
    return std::bit_cast<std::uint64_t>(value) < std::bit_cast<std::uint64_t>(1e9) &&
           double(std::uint32_t(value)) == value;
}

namespace {

// Writes the decimal digits of `value` (below 1e9) at `out` and returns how many; may write up
// to eight bytes past them (the caller has room). The digits are made two at a time from a table,
// gathered into one word with leading zeros, and stored at once with the zeros shifted out.
inline std::size_t writeDigits(std::uint8_t* out, std::uint32_t value) {
    static constexpr char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    // The four digits of a value below 10000, the first in the lowest byte.
    auto four = [](std::uint32_t below10000) {
        std::uint32_t high = below10000 / 100;
        std::uint16_t first, second;
        std::memcpy(&first, pairs + 2 * high, 2);
        std::memcpy(&second, pairs + 2 * (below10000 - high * 100), 2);
        return std::uint32_t(first) | std::uint32_t(second) << 16;
    };
    if constexpr (std::endian::native == std::endian::little) {
        if (value < 10000) {
            std::size_t length =
                1 + std::size_t(value >= 10) + std::size_t(value >= 100) + std::size_t(value >= 1000);
            std::uint32_t word = four(value) >> (8 * (4 - length));
            std::memcpy(out, &word, 4);
            return length;
        }
        std::size_t prefix = 0;
        if (value >= 100000000) {
            std::uint32_t first = value / 100000000;
            *out++ = std::uint8_t('0' + first);
            value -= first * 100000000;
            prefix = 1;
        }
        std::uint32_t high = value / 10000;
        std::uint64_t word = std::uint64_t(four(high)) | std::uint64_t(four(value - high * 10000)) << 32;
        std::size_t length = prefix ? 8
                                    : 5 + std::size_t(value >= 100000) + std::size_t(value >= 1000000) +
                                          std::size_t(value >= 10000000);
        word >>= 8 * (8 - length);
        std::memcpy(out, &word, 8);
        return prefix + length;
    } else {
        std::size_t length = 1;
        for (std::uint32_t rest = value / 10; rest != 0; rest /= 10)
            ++length;
        for (std::size_t i = length; i > 0; --i, value /= 10)
            out[i - 1] = std::uint8_t('0' + value % 10);
        return length;
    }
}

} // namespace

inline void JSONWriter::writeSmallInteger(std::uint32_t value) {
    m_size += writeDigits(room(16), value);
}

void JSONWriter::writeObject(const Node& root) {
    const std::size_t base = m_stack.size();
    const Node* node = &root;
    for (;;) {
        switch (node->kind) {
        case Kind::Array:
            if (node->size == 0) {
                writeRaw("[]");
                break;
            }
            put('[');
            m_stack.push_back({node, 0});
            node = &node->elements[0];
            continue;
        case Kind::Dictionary:
            if (node->size == 0) {
                writeRaw("{}");
                break;
            }
            put('{');
            m_stack.push_back({node, 0});
            writeKey(node->members[0].key);
            node = &node->members[0].value;
            continue;
        default:
            // Whole numbers are the common values of members and first elements too.
            if (node->kind == Kind::Number && node->numberType == NumberType::Double &&
                isSmallInteger(node->number))
                writeSmallInteger(std::uint32_t(node->number));
            else
                writeScalar(*node);
            break;
        }
        // The value is complete: close every container whose last element it was, then move on
        // to the next element of the innermost open one.
        node = nullptr;
        while (!node) {
            if (m_stack.size() == base)
                return;
            Frame& top = m_stack.back();
            const Node& container = *top.container;
            if (container.kind == Kind::Array) {
                // Scalars in a row, the bulk of most arrays, are written without leaving this loop.
                // Its state is in locals: the bytes written may alias anything in memory, so the
                // compiler would otherwise load the frame and the container again after each.
                const Node* const elements = container.elements;
                const std::uint32_t size = container.size;
                std::uint32_t next = top.next;
                while (++next < size) {
                    const Node& element = elements[next];
                    if (element.kind == Kind::Number) {
                        if (element.numberType == NumberType::Double && isSmallInteger(element.number)) {
                            // The comma and the digits after one check for room.
                            std::uint8_t* out = room(16);
                            *out = ',';
                            m_size += 1 + writeDigits(out + 1, std::uint32_t(element.number));
                        } else {
                            put(',');
                            writeNumber(element);
                        }
                        continue;
                    }
                    put(',');
                    if (element.kind == Kind::Array || element.kind == Kind::Dictionary) {
                        node = &element;
                        break;
                    }
                    writeScalar(element);
                }
                m_stack.back().next = next;
                if (node)
                    break;
                put(']');
                m_stack.pop_back();
                continue;
            }
            if (++top.next < container.size) {
                put(',');
                writeKey(container.members[top.next].key);
                node = &container.members[top.next].value;
                break;
            }
            put('}');
            m_stack.pop_back();
        }
    }
}

void JSONWriter::writeKey(const Node& key) {
    // Keys bypass the dispatcher: only strings have a key's text.
    if (key.kind != Kind::String)
        raiseTypeException(Value(nullptr, &key).className());
    writeString(key.string());
    put(':');
}

void JSONWriter::writeScalar(const Node& node) {
    switch (node.kind) {
    case Kind::Null:
        writeRaw("null");
        return;
    case Kind::Number:
        writeNumber(node);
        return;
    case Kind::String:
        writeString(node.string());
        return;
    case Kind::Array:
    case Kind::Dictionary:
        writeObject(node);
        return;
    case Kind::Data:
        writeData(node);
        return;
    case Kind::Fragment:
        writeRaw(node.byteView());
        return;
    case Kind::Foreign:
        break;
    }
    raiseTypeException(Value(nullptr, &node).className());
}

void JSONWriter::writeNumber(const Node& number) {
    switch (number.numberType) {
    case NumberType::Boolean:
    case NumberType::Character:
        // The platform's one-byte type: its booleans, and any one-byte 0 or 1, are words.
        if (number.integer == 1) {
            writeRaw("true");
            return;
        }
        if (number.integer == 0) {
            writeRaw("false");
            return;
        }
        break;
    case NumberType::Integer:
        break;
    case NumberType::Double: {
        double value = number.number;
        // Small whole numbers, the most common of all, skip the general conversion.
        if (isSmallInteger(value)) {
            writeSmallInteger(std::uint32_t(value));
            return;
        }
        if (!std::isfinite(value))
            raiseObjectException(number);
        char* first = reinterpret_cast<char*>(room(tokenRoom));
        char* end;
        if (std::fabs(value) < exactIntegerLimit && double(std::int64_t(value)) == value &&
            !(value == 0 && std::signbit(value)))
            end = std::to_chars(first, first + tokenRoom, std::int64_t(value)).ptr;
        else
            end = std::to_chars(first, first + tokenRoom, value).ptr;
        m_size += std::size_t(end - first);
        return;
    }
    }
    char* first = reinterpret_cast<char*>(room(tokenRoom));
    char* end = std::to_chars(first, first + tokenRoom, number.integer).ptr;
    m_size += std::size_t(end - first);
}

void JSONWriter::writeString(std::u16string_view units) {
    // Each code unit takes at most six bytes (a \u escape); with that room reserved once, the loop
    // writes without checks. The words stored past a unit's text stay within that room too: a
    // unit of one to three bytes has six, a pair of eight bytes has twelve.
    if (units.size() > (SIZE_MAX - 2) / 6)
        throw std::bad_alloc();
    std::uint8_t* out = room(units.size() * 6 + 2);
    *out++ = '"';
    const char16_t* unit = units.data();
    const char16_t* const end = unit + units.size();
    while (end - unit >= 8) {
        // Eight units at a time: plain ASCII stands as stored; other text without escapes and
        // surrogates goes through the block's wide path; the rest unit by unit.
        BlockScan block = scanBlock(unit, out);
        if (block.cleanPrefix == 8) {
            out += 8;
            unit += 8;
            continue;
        }
        if (!block.escapes && !block.surrogates) {
            out = writeWideBlock(out + block.cleanPrefix, unit, block.cleanPrefix);
            unit += 8;
            continue;
        }
        const char16_t* blockEnd = unit + 8;
        out += block.cleanPrefix;
        unit += block.cleanPrefix;
        // A surrogate pair may end one unit past the eight.
        while (unit < blockEnd)
            out = writeUnit(out, unit, end);
    }
    while (unit < end)
        out = writeUnit(out, unit, end);
    *out++ = '"';
    m_size = std::size_t(out - m_bytes.get());
}

void JSONWriter::writeData(const Node& data) {
    std::string_view bytes = data.byteView();
    if (!isValidUTF8(bytes))
        raiseObjectException(data);
    writeEscapedUTF8(bytes);
}

void JSONWriter::writeEscapedUTF8(std::string_view utf8) {
    // The bytes are valid UTF-8, so escaping ASCII and copying every other byte writes the same
    // text as decoding to UTF-16 and applying the string rule.
    put('"');
    for (char byte : utf8) {
        auto value = std::uint8_t(byte);
        std::uint8_t* out = room(6);
        char escape = value < 0x80 ? escapes[value] : 0;
        if (escape == 0) {
            *out = value;
            ++m_size;
        } else {
            m_size += std::size_t(writeEscape(out, value, escape) - out);
        }
    }
    put('"');
}

} // namespace torvane
