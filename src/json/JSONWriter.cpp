#include "json/JSONWriter.h"

#include "foundation/Arena.h"
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
#include "json/ShortestDouble.h"

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

// MARK: - The string rule

// Writes the character at `text`, one of the escape stops, by the string rule and moves past it.
// The text is WTF-8: a lone surrogate (ED A0-BF 80-BF) has no UTF-8, and its escape gives readers
// back the very unit; other characters led by 0xED are copied.
inline std::uint8_t* writeStop(std::uint8_t* out, const std::uint8_t*& text) {
    std::uint8_t byte = *text;
    if (byte != 0xED) {
        ++text;
        return writeEscape(out, byte, escapes[byte]);
    }
    if (text[1] >= 0xA0) {
        auto unit = char16_t(0xD000 | (text[1] & 0x3F) << 6 | (text[2] & 0x3F));
        text += 3;
        return writeUnicodeEscape(out, unit);
    }
    for (int i = 0; i < 3; ++i)
        *out++ = *text++;
    return out;
}

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
            // Members with scalar values likewise, keys and all.
            const Member* const members = container.members;
            const std::uint32_t size = container.size;
            std::uint32_t next = top.next;
            while (++next < size) {
                const Member& member = members[next];
                put(',');
                writeKey(member.key);
                const Node& value = member.value;
                if (value.kind == Kind::Array || value.kind == Kind::Dictionary) {
                    node = &value;
                    break;
                }
                if (value.kind == Kind::Number && value.numberType == NumberType::Double &&
                    isSmallInteger(value.number))
                    writeSmallInteger(std::uint32_t(value.number));
                else if (value.kind == Kind::String)
                    writeString(value);
                else
                    writeScalar(value);
            }
            m_stack.back().next = next;
            if (node)
                break;
            put('}');
            m_stack.pop_back();
        }
    }
}

void JSONWriter::writeKey(const Node& key) {
    // Keys bypass the dispatcher: only strings have a key's text.
    if (key.kind != Kind::String)
        raiseTypeException(Value(nullptr, &key).className());
    writeString(key);
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
        writeString(node);
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
        static_assert(tokenRoom >= shortestDoubleRoom);
        char* first = reinterpret_cast<char*>(room(tokenRoom));
        char* end;
        if (std::fabs(value) < exactIntegerLimit && double(std::int64_t(value)) == value &&
            !(value == 0 && std::signbit(value)))
            end = std::to_chars(first, first + tokenRoom, std::int64_t(value)).ptr;
        else
            end = writeShortestDouble(first, value);
        m_size += std::size_t(end - first);
        return;
    }
    }
    char* first = reinterpret_cast<char*>(room(tokenRoom));
    char* end = std::to_chars(first, first + tokenRoom, number.integer).ptr;
    m_size += std::size_t(end - first);
}

void JSONWriter::writeString(const Node& string) {
    // Every string of a tree lives in an arena.
    writePaddedString(string.string());
}

void JSONWriter::writePaddedString(std::string_view text) {
    // Each byte takes at most six (a \u00XX escape, or a third of a lone surrogate's \uXXXX);
    // with that room reserved once, the loop writes without checks, and the sixteen bytes stored
    // at a time stay within it.
    if (text.size() > (SIZE_MAX - 18) / 6)
        throw std::bad_alloc();
    std::uint8_t* out = room(text.size() * 6 + 18);
    *out++ = '"';
    if (!text.empty()) {
        auto* byte = reinterpret_cast<const std::uint8_t*>(text.data());
        const std::uint8_t* const end = byte + text.size();
        // Sixteen bytes at a time, the last block too: its bytes past the end count as a stop,
        // so that short strings, keys above all, take one block and one branch.
        for (;;) {
            byteRuns::Block block = byteRuns::load(byte);
            byteRuns::store(block, out);
            std::uint64_t stops = byteRuns::escapeStops(block);
            if (auto left = std::size_t(end - byte); left < 16)
                stops |= ~std::uint64_t(0) << (left * byteRuns::maskBitsPerByte);
            if (stops == 0) {
                byte += 16;
                out += 16;
                continue;
            }
            std::size_t plain = byteRuns::firstByte(stops);
            byte += plain;
            out += plain;
            if (byte == end)
                break;
            out = writeStop(out, byte);
        }
    }
    *out++ = '"';
    m_size = std::size_t(out - m_bytes.get());
}

void JSONWriter::writeData(const Node& data) {
    // Valid UTF-8 holds no surrogate, so its bytes are text as a string keeps it. They are copied
    // first, as their buffer may end with them.
    std::string_view bytes = data.byteView();
    if (!isValidUTF8(bytes))
        raiseObjectException(data);
    std::string padded(bytes.size() + Arena::readablePastEnd, '\0');
    if (!bytes.empty())
        std::memcpy(padded.data(), bytes.data(), bytes.size());
    writePaddedString({padded.data(), bytes.size()});
}

} // namespace torvane
