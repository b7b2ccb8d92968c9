// DataScanner_Extensions: the block and line comment scanners of DataScanner. The JSON scanner
// does not use them; they are part of the library's general interface.

#include "json/CommentScanning.h"
#include "json/DataScanner.h"
#include "json/NSCharacterSet_Extensions.h"

#include <string_view>

namespace torvane {

namespace {

// The byte scanner's steps: texts are runs of the buffer's bytes, decoded only when handed back.
class ByteSteps {
  public:
    using Text = std::string_view;

    explicit ByteSteps(DataScanner& scanner) : m_scanner(scanner) {}

    bool take(const char* literal) { return m_scanner.scanUTF8String(literal, nullptr); }
    bool takeUpTo(const char* literal, Text& text) {
        std::uint32_t start = m_scanner.scanLocation();
        if (!m_scanner.scanUpToString(Value::stringFromUTF8(literal), nullptr))
            return false;
        text = m_scanner.data().view().substr(start, m_scanner.scanLocation() - start);
        return true;
    }
    static bool contains(const Text& text, const char* literal) { return text.find(literal) != Text::npos; }
    bool takeUpToLineBreak(Text& text) {
        std::uint32_t start = m_scanner.scanLocation();
        bool taken = m_scanner.scanUpToCharactersFromSet(commentScanning::linebreaks(), nullptr);
        text = m_scanner.data().view().substr(start, m_scanner.scanLocation() - start);
        return taken;
    }
    void takeLineBreaks() { m_scanner.scanCharactersFromSet(commentScanning::linebreaks(), nullptr); }

  private:
    DataScanner& m_scanner;
};

} // namespace

bool DataScanner::scanCStyleComment(Value* out) {
    ByteSteps steps(*this);
    std::string_view text;
    if (!commentScanning::scanBlockComment(steps, text))
        return false;
    if (out)
        *out = Value::stringFromUTF8(text);
    return true;
}

bool DataScanner::scanCPlusPlusStyleComment(Value* out) {
    ByteSteps steps(*this);
    std::string_view text;
    bool hasText = false;
    if (!commentScanning::scanLineComment(steps, text, hasText))
        return false;
    if (out)
        *out = hasText ? Value::stringFromUTF8(text) : Value();
    return true;
}

} // namespace torvane
