#pragma once

// A scanner over a text of UTF-16 code units (the platform's NSScanner, as far as the JSON
// library's extensions need one). Locations are code-unit indexes.
//
// Steps take the characters at the location and report whether they took any; like the
// platform's scanner, the "up to" steps run to the end of the text when the stop never comes.
// Before each step the scanner skips charactersToBeSkipped(), which, unlike the platform's
// default of whitespace, is empty until set. Out-parameters are optional (nullptr).

#include "foundation/CharacterSet.h"

#include <algorithm>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

class TextScanner {
  public:
    explicit TextScanner(std::u16string string) : m_string(std::move(string)) {}

    [[nodiscard]] const std::u16string& string() const { return m_string; }
    [[nodiscard]] std::uint32_t scanLocation() const { return m_location; }
    // A location past the end is clamped to the end.
    void setScanLocation(std::uint32_t location) {
        m_location = std::uint32_t(std::min<std::size_t>(location, m_string.size()));
    }
    [[nodiscard]] bool isAtEnd() const;

    [[nodiscard]] const std::optional<CharacterSet>& charactersToBeSkipped() const { return m_skipped; }
    void setCharactersToBeSkipped(std::optional<CharacterSet> characters) {
        m_skipped = std::move(characters);
    }

    bool scanString(std::u16string_view string, std::u16string* out);
    bool scanUpToString(std::u16string_view string, std::u16string* out);
    bool scanCharactersFromSet(const CharacterSet& set, std::u16string* out);
    bool scanUpToCharactersFromSet(const CharacterSet& set, std::u16string* out);

  private:
    void skip();
    bool take(std::size_t end, std::u16string* out);

    std::u16string m_string;
    std::uint32_t m_location{0};
    std::optional<CharacterSet> m_skipped;
};

} // namespace torvane
