#pragma once

// The text scanner's extension group: the byte scanner's character-level and comment steps for
// a TextScanner, plus a step backwards. Characters are UTF-16 code units, locations their
// indexes. At the end of the text currentCharacter() and scanCharacter() give 0 and
// scanCharacter(c) never matches: nothing is read past the text.

#include "foundation/TextScanner.h"

#include <optional>
#include <string>

namespace torvane {

[[nodiscard]] std::u16string remainingString(const TextScanner& scanner);
[[nodiscard]] char16_t currentCharacter(const TextScanner& scanner);
char16_t scanCharacter(TextScanner& scanner);
bool scanCharacter(TextScanner& scanner, char16_t character);
// Throws GenericException "Backtracked too far." (without moving) when fewer than `count`
// characters lie before the location.
void backtrack(TextScanner& scanner, std::uint32_t count);

// Throws GenericException on an unterminated or nested comment. As with the platform's
// scanner, an empty comment `/**/` counts as unterminated: the step up to its end takes nothing.
bool scanCStyleComment(TextScanner& scanner, std::u16string* out);
// `out` is none when the comment holds no text.
bool scanCPlusPlusStyleComment(TextScanner& scanner, std::optional<std::u16string>* out);

} // namespace torvane
