#pragma once

// An immutable set of UTF-16 code units (the platform's NSCharacterSet, as far as the JSON
// library needs one). Membership of the units below 256 is one table lookup, because the byte
// scanner tests every byte it takes against a set.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace torvane {

class CharacterSet {
  public:
    CharacterSet() = default;

    // The set of the units of `characters` (the platform's characterSetWithCharactersInString:).
    [[nodiscard]] static CharacterSet withCharacters(std::u16string_view characters) {
        CharacterSet set;
        for (char16_t unit : characters) {
            if (unit < 256)
                set.m_low[unit >> 6] |= std::uint64_t(1) << (unit & 63);
            else if (std::find(set.m_high.begin(), set.m_high.end(), unit) == set.m_high.end())
                set.m_high.push_back(unit);
        }
        std::sort(set.m_high.begin(), set.m_high.end());
        return set;
    }

    [[nodiscard]] bool contains(char16_t unit) const {
        if (unit < 256)
            return (m_low[unit >> 6] >> (unit & 63)) & 1;
        return std::binary_search(m_high.begin(), m_high.end(), unit);
    }

    [[nodiscard]] bool operator==(const CharacterSet&) const = default;

  private:
    std::array<std::uint64_t, 4> m_low{};
    std::vector<char16_t> m_high; // sorted
};

} // namespace torvane
