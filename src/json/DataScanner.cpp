#include "json/DataScanner.h"

#include <fast_float/fast_float.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace torvane {

namespace {

const CharacterSet& defaultDoubleCharacters() {
    // The plus sign is here so that an exponent such as 1e+21, which JSON writers emit, is read
    // whole instead of stopping at its sign.
    static const CharacterSet set = CharacterSet::withCharacters(u"0123456789eE-.+");
    return set;
}

Value textFromBytes(const std::uint8_t* begin, const std::uint8_t* end) {
    return Value::stringFromUTF8({reinterpret_cast<const char*>(begin), std::size_t(end - begin)});
}

bool isDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

} // namespace

DataScanner::DataScanner() : m_doubleCharacters(defaultDoubleCharacters()) {}

DataScanner DataScanner::scannerWithData(const Data& data) {
    DataScanner scanner;
    scanner.setData(data);
    return scanner;
}

void DataScanner::setData(const Data& data) {
    if (data.isSameBuffer(m_data))
        return;
    m_data = data;
    // With no buffer the scanner is empty rather than dangling: every step sees the end.
    m_start = data.bytes();
    m_length = std::uint32_t(data.length());
    m_end = m_start + m_length;
    m_current = m_start;
}

void DataScanner::setScanLocation(std::uint32_t location) {
    m_current = m_start + std::min(location, m_length);
}

void DataScanner::setDoubleCharacters(CharacterSet characters) {
    m_defaultDoubleCharacters = characters == defaultDoubleCharacters();
    m_doubleCharacters = std::move(characters);
}

char16_t DataScanner::scanCharacter() {
    if (m_current >= m_end)
        return 0;
    return *m_current++;
}

bool DataScanner::scanCharacter(char16_t character) {
    if (m_current >= m_end || *m_current != character)
        return false;
    ++m_current;
    return true;
}

bool DataScanner::matchesAtCursor(const char* bytes, std::size_t size) const {
    // Without data the cursor is null, and memcmp must not be handed a null pointer.
    if (size == 0)
        return true;
    return std::size_t(m_end - m_current) >= size && std::memcmp(m_current, bytes, size) == 0;
}

bool DataScanner::scanUTF8String(const char* literal, Value* out) {
    std::size_t size = std::strlen(literal);
    if (!matchesAtCursor(literal, size))
        return false;
    m_current += size;
    if (out)
        *out = Value::stringFromUTF8({literal, size});
    return true;
}

bool DataScanner::scanString(const Value& string, Value* out) {
    std::string bytes = string.utf8();
    if (!matchesAtCursor(bytes.data(), bytes.size()))
        return false;
    m_current += bytes.size();
    if (out)
        *out = string;
    return true;
}

const std::uint8_t* DataScanner::runEnd(const CharacterSet& set, bool members) const {
    const std::uint8_t* run = m_current;
    while (run < m_end && set.contains(*run) == members)
        ++run;
    return run;
}

bool DataScanner::scanRun(const CharacterSet& set, bool members, Value* out) {
    const std::uint8_t* run = runEnd(set, members);
    if (run == m_current)
        return false;
    if (out)
        *out = textFromBytes(m_current, run);
    m_current = run;
    return true;
}

bool DataScanner::scanCharactersFromSet(const CharacterSet& set, Value* out) {
    return scanRun(set, true, out);
}

bool DataScanner::scanUpToCharactersFromSet(const CharacterSet& set, Value* out) {
    return scanRun(set, false, out);
}

bool DataScanner::scanUpToString(const Value& string, Value* out) {
    std::string needle = string.utf8();
    // strnstr's rules: nothing after the first NUL byte is searched.
    const std::uint8_t* limit = m_current;
    while (limit < m_end && *limit != 0)
        ++limit;
    const std::uint8_t* found = nullptr;
    if (needle.empty()) {
        found = m_current;
    } else {
        std::string_view haystack(reinterpret_cast<const char*>(m_current), std::size_t(limit - m_current));
        auto position = haystack.find(needle);
        if (position != std::string_view::npos)
            found = m_current + position;
    }
    if (!found)
        return false;
    if (out)
        *out = textFromBytes(m_current, found);
    m_current = found;
    return true;
}

double DataScanner::numeralValue(const std::uint8_t* run, std::size_t size, std::size_t* length) {
    std::size_t position = 0;
    if (position < size && run[position] == '-')
        ++position;
    std::size_t digits = 0;
    std::uint64_t integer = 0;
    while (position < size && isDigit(run[position])) {
        integer = integer * 10 + (run[position] - '0');
        ++position;
        ++digits;
    }
    bool plainInteger = true;
    if (position < size && run[position] == '.') {
        std::size_t point = position++;
        std::size_t fraction = 0;
        while (position < size && isDigit(run[position]))
            ++position, ++fraction;
        if (digits + fraction == 0)
            position = point;
        else
            plainInteger = false;
        digits += fraction;
    }
    if (digits == 0) {
        if (length)
            *length = 0;
        return 0;
    }
    if (position < size && (run[position] == 'e' || run[position] == 'E')) {
        std::size_t exponent = position + 1;
        if (exponent < size && (run[exponent] == '+' || run[exponent] == '-'))
            ++exponent;
        if (exponent < size && isDigit(run[exponent])) {
            while (exponent < size && isDigit(run[exponent]))
                ++exponent;
            position = exponent;
            plainInteger = false;
        }
    }
    if (length)
        *length = position;
    // Up to 15 digits an integer is exact in a double, so the general conversion can be skipped.
    if (plainInteger && digits <= 15) {
        double value = double(integer);
        return run[0] == '-' ? -value : value;
    }
    // fast_float is exact, and on overflow and underflow gives the infinity or the zero.
    const char* first = reinterpret_cast<const char*>(run);
    double value = 0;
    fast_float::from_chars(first, first + position, value);
    return value;
}

bool DataScanner::scanNumber(Value* out) {
    const std::uint8_t* run = runEnd(m_doubleCharacters, true);
    if (run == m_current)
        return false;
    if (out)
        *out = Value::number(numeralValue(m_current, std::size_t(run - m_current)));
    m_current = run;
    return true;
}

void DataScanner::skipWhitespace() {
    while (m_current < m_end && isWhitespace(*m_current))
        ++m_current;
}

Value DataScanner::remainingString() const {
    return textFromBytes(m_current, m_end);
}

} // namespace torvane
