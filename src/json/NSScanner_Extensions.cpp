#include "json/NSScanner_Extensions.h"

#include "json/CommentScanning.h"
#include "json/NSCharacterSet_Extensions.h"

#include "foundation/Unicode.h"

namespace torvane {

namespace {

// The text scanner's steps, with its own rules: a literal is looked for after the characters it
// skips, and the step up to a literal that never comes takes the rest of the text.
class TextSteps {
  public:
    using Text = std::u16string;

    explicit TextSteps(TextScanner& scanner) : m_scanner(scanner) {}

    bool take(const char* literal) { return m_scanner.scanString(u16(literal), nullptr); }
    bool takeUpTo(const char* literal, Text& text) { return m_scanner.scanUpToString(u16(literal), &text); }
    static bool contains(const Text& text, const char* literal) {
        return text.find(u16(literal)) != Text::npos;
    }
    bool takeUpToLineBreak(Text& text) {
        return m_scanner.scanUpToCharactersFromSet(commentScanning::linebreaks(), &text);
    }
    void takeLineBreaks() { m_scanner.scanCharactersFromSet(commentScanning::linebreaks(), nullptr); }

  private:
    TextScanner& m_scanner;
};

} // namespace

std::u16string remainingString(const TextScanner& scanner) {
    return scanner.string().substr(scanner.scanLocation());
}

char16_t currentCharacter(const TextScanner& scanner) {
    std::uint32_t location = scanner.scanLocation();
    return location < scanner.string().size() ? scanner.string()[location] : 0;
}

char16_t scanCharacter(TextScanner& scanner) {
    std::uint32_t location = scanner.scanLocation();
    if (location >= scanner.string().size())
        return 0;
    scanner.setScanLocation(location + 1);
    return scanner.string()[location];
}

bool scanCharacter(TextScanner& scanner, char16_t character) {
    std::uint32_t location = scanner.scanLocation();
    if (location >= scanner.string().size() || scanner.string()[location] != character)
        return false;
    scanner.setScanLocation(location + 1);
    return true;
}

void backtrack(TextScanner& scanner, std::uint32_t count) {
    std::uint32_t location = scanner.scanLocation();
    if (location < count)
        throw GenericException("Backtracked too far.");
    scanner.setScanLocation(location - count);
}

bool scanCStyleComment(TextScanner& scanner, std::u16string* out) {
    TextSteps steps(scanner);
    std::u16string text;
    if (!commentScanning::scanBlockComment(steps, text))
        return false;
    if (out)
        *out = std::move(text);
    return true;
}

bool scanCPlusPlusStyleComment(TextScanner& scanner, std::optional<std::u16string>* out) {
    TextSteps steps(scanner);
    std::u16string text;
    bool hasText = false;
    if (!commentScanning::scanLineComment(steps, text, hasText))
        return false;
    if (out)
        *out = hasText ? std::optional(std::move(text)) : std::nullopt;
    return true;
}

} // namespace torvane
