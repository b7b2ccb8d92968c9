#pragma once

// Quoting text as a JSON string for programs that write small JSON texts by hand (logs, canonical
// forms), as opposed to JSONDataSerializer, which writes whole value trees. Header-only, so that
// any part of the program can use it without linking the JSON library.
//
//     std::string line;
//     appendQuotedJSONString(line, std::string_view("lens \"blue\"\n"), JSONEscaping::minimal);
//     // line is "lens \"blue\"\n" with the quotation marks and the line feed escaped

#include "foundation/Unicode.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

enum class JSONEscaping {
    // What JSON requires and nothing more: `"` and `\` with a backslash, line feed, carriage
    // return and tab as \n \r \t, the other units below U+0020 as \u00XX; everything else as
    // UTF-8 (bytes of UTF-8 input pass through as they are).
    minimal,
    // Pure ASCII, one form per unit: every unit outside 0x20-0x7E, and `"` and `\`, as \u with
    // four lowercase hex digits (UTF-8 input: each byte from 0x80 on is taken as one unit).
    asciiOnly,
};

// Appends `text` between quotation marks. Units are UTF-8 bytes (char) or UTF-16 code units
// (char16_t); with minimal escaping a lone surrogate, which has no UTF-8, is written as \u.
template <typename Unit>
void appendQuotedJSONString(std::string& out, std::basic_string_view<Unit> text, JSONEscaping escaping) {
    constexpr char hexDigits[] = "0123456789abcdef";
    auto unicodeEscape = [&](unsigned unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hexDigits[(unit >> shift) & 0xF];
    };
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto unit = unsigned(std::make_unsigned_t<Unit>(text[i]));
        if (escaping == JSONEscaping::asciiOnly) {
            if (unit >= 0x20 && unit <= 0x7E && unit != '"' && unit != '\\')
                out += char(unit);
            else
                unicodeEscape(unit);
            continue;
        }
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += char(unit);
        } else if (unit == '\n') {
            out += "\\n";
        } else if (unit == '\r') {
            out += "\\r";
        } else if (unit == '\t') {
            out += "\\t";
        } else if (unit < 0x20) {
            unicodeEscape(unit);
        } else if (unit < 0x80 || sizeof(Unit) == 1) {
            out += char(unit);
        } else if (isHighSurrogate(char16_t(unit)) && i + 1 < text.size() &&
                   isLowSurrogate(char16_t(text[i + 1]))) {
            appendUTF8(codePointOfPair(unit, char32_t(text[++i])), out);
        } else if (isHighSurrogate(char16_t(unit)) || isLowSurrogate(char16_t(unit))) {
            unicodeEscape(unit);
        } else {
            appendUTF8(char32_t(unit), out);
        }
    }
    out += '"';
}

} // namespace torvane
