#include "foundation/TextScanner.h"

namespace torvane {

bool TextScanner::isAtEnd() const {
    std::size_t location = m_location;
    if (m_skipped)
        while (location < m_string.size() && m_skipped->contains(m_string[location]))
            ++location;
    return location >= m_string.size();
}

void TextScanner::skip() {
    if (!m_skipped)
        return;
    while (m_location < m_string.size() && m_skipped->contains(m_string[m_location]))
        ++m_location;
}

bool TextScanner::take(std::size_t end, std::u16string* out) {
    if (end == m_location)
        return false;
    if (out)
        *out = m_string.substr(m_location, end - m_location);
    m_location = std::uint32_t(end);
    return true;
}

bool TextScanner::scanString(std::u16string_view string, std::u16string* out) {
    std::uint32_t start = m_location;
    skip();
    if (string.empty() || std::u16string_view(m_string).substr(m_location, string.size()) != string) {
        m_location = start;
        return false;
    }
    return take(m_location + string.size(), out);
}

bool TextScanner::scanUpToString(std::u16string_view string, std::u16string* out) {
    std::uint32_t start = m_location;
    skip();
    std::size_t found = string.empty() ? m_location : m_string.find(string, m_location);
    if (take(found == std::u16string::npos ? m_string.size() : found, out))
        return true;
    m_location = start;
    return false;
}

bool TextScanner::scanCharactersFromSet(const CharacterSet& set, std::u16string* out) {
    std::uint32_t start = m_location;
    skip();
    std::size_t end = m_location;
    while (end < m_string.size() && set.contains(m_string[end]))
        ++end;
    if (take(end, out))
        return true;
    m_location = start;
    return false;
}

bool TextScanner::scanUpToCharactersFromSet(const CharacterSet& set, std::u16string* out) {
    std::uint32_t start = m_location;
    skip();
    std::size_t end = m_location;
    while (end < m_string.size() && !set.contains(m_string[end]))
        ++end;
    if (take(end, out))
        return true;
    m_location = start;
    return false;
}

} // namespace torvane
