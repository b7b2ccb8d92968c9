#pragma once

// A cursor over an immutable byte buffer (in practice UTF-8 text) with small scanning steps.
// It is the base of JSONScanner.
//
// Every step works on single bytes: a byte compared with a character, or tested against a
// character set, counts as the character code 0-255. Texts handed back are the scanned bytes
// decoded as UTF-8, and are none when the bytes are not UTF-8 (the step still succeeds).
//
// Out-parameters are optional: pass nullptr when you do not need the text or number.
//
// Unlike the platform's scanner this one never reads outside its buffer: at the end,
// currentCharacter() and scanCharacter() give 0 and scanCharacter(c) never matches; and
// setScanLocation() clamps a location past the end to the end. Locations are 32-bit, as on the
// platform: of a buffer beyond 4 GiB only the first 4 GiB are scanned.

#include "foundation/CharacterSet.h"
#include "foundation/Data.h"
#include "foundation/Value.h"

#include <cstdint>

namespace torvane {

class DataScanner {
  public:
    DataScanner();
    virtual ~DataScanner() = default;
    DataScanner(const DataScanner&) = default;
    DataScanner& operator=(const DataScanner&) = default;

    [[nodiscard]] static DataScanner scannerWithData(const Data& data);

    [[nodiscard]] const Data& data() const { return m_data; }
    // The same buffer again keeps the cursor; another buffer (or none) starts over at 0.
    virtual void setData(const Data& data);

    [[nodiscard]] std::uint32_t scanLocation() const { return std::uint32_t(m_current - m_start); }
    // A location past the end is clamped to the end.
    void setScanLocation(std::uint32_t location);
    [[nodiscard]] bool isAtEnd() const { return scanLocation() >= m_length; }

    // The characters scanNumber() takes: "0123456789eE-.+" unless set otherwise.
    [[nodiscard]] const CharacterSet& doubleCharacters() const { return m_doubleCharacters; }
    void setDoubleCharacters(CharacterSet characters);

    // MARK: - Single characters (0 / no match at the end)
    [[nodiscard]] char16_t currentCharacter() const { return m_current < m_end ? *m_current : 0; }
    char16_t scanCharacter();
    bool scanCharacter(char16_t character);

    // MARK: - Literals and runs
    // `literal` is NUL-terminated UTF-8; on success `out` gets the literal itself as text.
    bool scanUTF8String(const char* literal, Value* out);
    // On success `out` receives `string` itself, the same object.
    bool scanString(const Value& string, Value* out);
    bool scanCharactersFromSet(const CharacterSet& set, Value* out);
    bool scanUpToCharactersFromSet(const CharacterSet& set, Value* out);
    // Stops at the start of `string`, which is not taken. Like the C library's strnstr, the
    // search ends at the first NUL byte, and an empty `string` is found at once.
    bool scanUpToString(const Value& string, Value* out);

    // MARK: - Numbers, whitespace, rest
    // Takes the run of doubleCharacters() and hands back the value of its longest leading
    // decimal numeral (see numeralValue) as a double number.
    bool scanNumber(Value* out);
    // Tab, line feed, vertical tab, form feed, carriage return and space; bytes from 0x80 on are
    // never whitespace.
    void skipWhitespace();
    [[nodiscard]] Value remainingString() const;

    // MARK: - DataScanner_Extensions: comments (DataScanner_Extensions.cpp)
    // Both throw GenericException on a malformed comment, leaving the cursor where the failing
    // step left it.
    bool scanCStyleComment(Value* out);
    bool scanCPlusPlusStyleComment(Value* out);

    // The value of the longest prefix of `run` that is a decimal numeral: an optional minus,
    // digits with an optional point and fraction (one digit at least), and an optional exponent
    // of e or E, an optional sign and digits. No such prefix gives 0; overflow gives an
    // infinity and underflow 0. `length` receives the prefix's length when asked.
    [[nodiscard]] static double numeralValue(const std::uint8_t* run, std::size_t size,
                                             std::size_t* length = nullptr);

  protected:
    [[nodiscard]] static bool isWhitespace(std::uint8_t byte) {
        return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
    }
    // Whether doubleCharacters() is the default set, which the JSON scanner reads with a table.
    [[nodiscard]] bool hasDefaultDoubleCharacters() const { return m_defaultDoubleCharacters; }

    Data m_data;
    const std::uint8_t* m_start{nullptr};
    const std::uint8_t* m_end{nullptr};
    const std::uint8_t* m_current{nullptr};
    std::uint32_t m_length{0};

  private:
    [[nodiscard]] bool matchesAtCursor(const char* bytes, std::size_t size) const;
    // The end of the run of bytes at the cursor that are (or, with `members` false, are not) in `set`.
    [[nodiscard]] const std::uint8_t* runEnd(const CharacterSet& set, bool members) const;
    // Takes that run.
    bool scanRun(const CharacterSet& set, bool members, Value* out);

    CharacterSet m_doubleCharacters;
    bool m_defaultDoubleCharacters{true};
};

} // namespace torvane
