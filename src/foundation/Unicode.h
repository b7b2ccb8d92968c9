#pragma once

// Conversions between UTF-8 bytes and UTF-16 code units. UTF-8 is validated strictly (no
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

// Each lone surrogate becomes U+FFFD: there is no UTF-8 for it.
[[nodiscard]] std::string utf8FromUTF16(std::u16string_view units);

[[nodiscard]] constexpr bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes one UTF-8 sequence at `bytes[0..]`; returns its length (0 when it is not valid) and
// stores the code point.
[[nodiscard]] std::size_t decodeUTF8(const std::uint8_t* bytes, std::size_t available, char32_t& codePoint);

void appendUTF8(char32_t codePoint, std::string& out);

// A string literal as UTF-16, for tests and callers that speak UTF-8.
[[nodiscard]] inline std::u16string u16(std::string_view utf8) {
    return utf16FromUTF8(utf8).value_or(u"");
}

} // namespace torvane
