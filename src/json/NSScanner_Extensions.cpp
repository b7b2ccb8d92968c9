#include "json/NSScanner_Extensions.h"

#include "json/NSCharacterSet_Extensions.h"

#include "foundation/GenericException.h"

namespace torvane {

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
    if (!scanner.scanString(u"/*", nullptr))
        return false;
    std::u16string text;
    if (!scanner.scanUpToString(u"*/", &text))
        throw GenericException("Started to scan a C style comment but it wasn't terminated.");
    if (text.find(u"/*") != std::u16string::npos)
        throw GenericException("C style comments should not be nested.");
    if (!scanner.scanString(u"*/", nullptr))
        throw GenericException("C style comment did not end correctly.");
    if (out)
        *out = std::move(text);
    return true;
}

bool scanCPlusPlusStyleComment(TextScanner& scanner, std::optional<std::u16string>* out) {
    if (!scanner.scanString(u"//", nullptr))
        return false;
    static const CharacterSet linebreaks = linebreaksCharacterSet();
    std::u16string text;
    bool hasText = scanner.scanUpToCharactersFromSet(linebreaks, &text);
    scanner.scanCharactersFromSet(linebreaks, nullptr);
    if (out)
        *out = hasText ? std::optional(std::move(text)) : std::nullopt;
    return true;
}

} // namespace torvane
