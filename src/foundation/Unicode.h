#pragma once

// Conversions between UTF-8 bytes (and WTF-8, below) and UTF-16 code units. UTF-8 is validated strictly (no
// overlong forms, no encoded surrogates, nothing above U+10FFFF); UTF-16 may hold lone
// surrogates, which are kept as they are wherever a caller can represent them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

[[nodiscard]] bool isValidUTF8(std::string_view bytes);

// Appends the UTF-16 form of `bytes` to `out`; false, with `out` unchanged, when they are not UTF-8.
[[nodiscard]] bool appendUTF16FromUTF8(std::string_view bytes, std::u16string& out);
[[nodiscard]] std::optional<std::u16string> utf16FromUTF8(std::string_view bytes);

// Text as value trees keep it: UTF-8, except that a lone surrogate, which UTF-16 text may hold
// and UTF-8 cannot, takes the three bytes its code would take (ED A0-BF 80-BF), the form known as
// WTF-8. A surrogate pair is always one four-byte sequence, so equal UTF-16 text is equal bytes.
// Readers of the text get it back unit for unit.
[[nodiscard]] std::string wtf8FromUTF16(std::u16string_view units);
// These two expect well-formed WTF-8, as value trees hold it.
[[nodiscard]] std::u16string utf16FromWTF8(std::string_view text);
// Each lone surrogate becomes U+FFFD.
[[nodiscard]] std::string utf8FromWTF8(std::string_view text);

[[nodiscard]] constexpr bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
// The code point of a high and a low surrogate.
[[nodiscard]] constexpr char32_t codePointOfPair(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// Appends a code point as one unit, or as a surrogate pair past U+FFFF.
inline void appendUTF16(char32_t codePoint, std::u16string& out) {
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        out.push_back(char16_t(0xD800 + (codePoint >> 10)));
        out.push_back(char16_t(0xDC00 + (codePoint & 0x3FF)));
    } else {
        out.push_back(char16_t(codePoint));
    }
}

// Decodes one UTF-8 sequence at `bytes[0..]`; returns its length (0 when it is not valid) and
// stores the code point. Inline: the JSON reader calls it for every character from U+0080 on.
[[nodiscard]] inline std::size_t decodeUTF8(const std::uint8_t* bytes, std::size_t available,
                                            char32_t& codePoint) {
    if (available == 0)
        return 0;
    std::uint8_t lead = bytes[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    // The lead bytes and second-byte ranges below leave out overlong forms (C0, C1, E0 80-9F,
    // F0 80-8F), surrogates (ED A0-BF) and code points past U+10FFFF (F4 90-BF, F5-FF). The
    // ranges are chosen without branches: text in one script repeats the same kinds of sequence.
    auto continuation = [](std::uint8_t byte) { return (byte & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !continuation(bytes[1]))
            return 0;
        codePoint = char32_t(lead & 0x1F) << 6 | (bytes[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        std::uint8_t lowest = lead == 0xE0 ? 0xA0 : 0x80;
        std::uint8_t highest = lead == 0xED ? 0x9F : 0xBF;
        if (available < 3 || bytes[1] < lowest || bytes[1] > highest || !continuation(bytes[2]))
            return 0;
        codePoint = char32_t(lead & 0x0F) << 12 | char32_t(bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        std::uint8_t lowest = lead == 0xF0 ? 0x90 : 0x80;
        std::uint8_t highest = lead == 0xF4 ? 0x8F : 0xBF;
        if (available < 4 || bytes[1] < lowest || bytes[1] > highest || !continuation(bytes[2]) ||
            !continuation(bytes[3]))
            return 0;
        codePoint = char32_t(lead & 0x07) << 18 | char32_t(bytes[1] & 0x3F) << 12 |
                    char32_t(bytes[2] & 0x3F) << 6 | (bytes[3] & 0x3F);
        return 4;
    }
    return 0;
}

// Writes a code point, or a lone surrogate's code in the three bytes of WTF-8, at `out` (room for
// four bytes) and returns the end.
inline std::uint8_t* writeUTF8(char32_t code, std::uint8_t* out) {
    if (code < 0x80) {
        *out++ = std::uint8_t(code);
    } else if (code < 0x800) {
        *out++ = std::uint8_t(0xC0 | (code >> 6));
        *out++ = std::uint8_t(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = std::uint8_t(0xE0 | (code >> 12));
        *out++ = std::uint8_t(0x80 | ((code >> 6) & 0x3F));
        *out++ = std::uint8_t(0x80 | (code & 0x3F));
    } else {
        *out++ = std::uint8_t(0xF0 | (code >> 18));
        *out++ = std::uint8_t(0x80 | ((code >> 12) & 0x3F));
        *out++ = std::uint8_t(0x80 | ((code >> 6) & 0x3F));
        *out++ = std::uint8_t(0x80 | (code & 0x3F));
    }
    return out;
}

void appendUTF8(char32_t codePoint, std::string& out);

// A string literal as UTF-16, for tests and callers that speak UTF-8.
[[nodiscard]] inline std::u16string u16(std::string_view utf8) {
    return utf16FromUTF8(utf8).value_or(u"");
}

} // namespace torvane
