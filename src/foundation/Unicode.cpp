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
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            out.push_back(char16_t(0xD800 + (codePoint >> 10)));
            out.push_back(char16_t(0xDC00 + (codePoint & 0x3FF)));
        } else {
            out.push_back(char16_t(codePoint));
        }
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
    if (codePoint < 0x80) {
        out.push_back(char(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(char(0xC0 | (codePoint >> 6)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(char(0xE0 | (codePoint >> 12)));
        out.push_back(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (codePoint >> 18)));
        out.push_back(char(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    }
}

std::string utf8FromUTF16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            appendUTF8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00), out);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUTF8(0xFFFD, out);
        } else {
            appendUTF8(unit, out);
        }
    }
    return out;
}

} // namespace torvane
