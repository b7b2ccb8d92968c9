#include "foundation/Unicode.h"

namespace torvane {

bool isValidUTF8(std::string_view bytes) {
    auto* cursor = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto* end = cursor + bytes.size();
    while (cursor < end) {
        if (*cursor < 0x80) {
            ++cursor;
            continue;
        }
        char32_t codePoint;
        std::size_t length = decodeUTF8(cursor, std::size_t(end - cursor), codePoint);
        if (length == 0)
            return false;
        cursor += length;
    }
    return true;
}

bool appendUTF16FromUTF8(std::string_view bytes, std::u16string& out) {
    std::size_t restoreSize = out.size();
    auto* cursor = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto* end = cursor + bytes.size();
    while (cursor < end) {
        if (*cursor < 0x80) {
            out.push_back(char16_t(*cursor++));
            continue;
        }
        char32_t codePoint;
        std::size_t length = decodeUTF8(cursor, std::size_t(end - cursor), codePoint);
        if (length == 0) {
            out.resize(restoreSize);
            return false;
        }
        cursor += length;
        appendUTF16(codePoint, out);
    }
    return true;
}

std::optional<std::u16string> utf16FromUTF8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (!appendUTF16FromUTF8(bytes, out))
        return std::nullopt;
    return out;
}

void appendUTF8(char32_t codePoint, std::string& out) {
    std::uint8_t bytes[4];
    out.append(reinterpret_cast<const char*>(bytes), std::size_t(writeUTF8(codePoint, bytes) - bytes));
}

namespace {

// The code at `bytes` in well-formed WTF-8 and the length of its sequence.
std::size_t decodeWTF8(const std::uint8_t* bytes, char32_t& code) {
    std::uint8_t lead = bytes[0];
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead < 0xE0) {
        code = char32_t(lead & 0x1F) << 6 | (bytes[1] & 0x3F);
        return 2;
    }
    if (lead < 0xF0) {
        code = char32_t(lead & 0x0F) << 12 | char32_t(bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F);
        return 3;
    }
    code = char32_t(lead & 0x07) << 18 | char32_t(bytes[1] & 0x3F) << 12 | char32_t(bytes[2] & 0x3F) << 6 |
           (bytes[3] & 0x3F);
    return 4;
}

} // namespace

std::string wtf8FromUTF16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            appendUTF8(codePointOfPair(unit, units[i + 1]), out);
            ++i;
        } else {
            // A lone surrogate takes three bytes, as any unit from U+0800 on does.
            appendUTF8(unit, out);
        }
    }
    return out;
}

std::u16string utf16FromWTF8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    auto* cursor = reinterpret_cast<const std::uint8_t*>(text.data());
    auto* end = cursor + text.size();
    while (cursor < end) {
        char32_t code = 0;
        cursor += decodeWTF8(cursor, code);
        appendUTF16(code, out);
    }
    return out;
}

std::string utf8FromWTF8(std::string_view text) {
    // Most text holds no surrogate (its lead byte ED is followed by A0-BF): copied as it is.
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (std::uint8_t(text[i]) == 0xED && std::uint8_t(text[i + 1]) >= 0xA0) {
            out.append(text, copied, i - copied);
            appendUTF8(0xFFFD, out);
            i += 2;
            copied = i + 1;
        }
    }
    if (copied == 0)
        return std::string(text);
    out.append(text, copied);
    return out;
}

} // namespace torvane
