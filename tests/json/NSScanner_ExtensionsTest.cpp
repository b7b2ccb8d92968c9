#include "json/JSON.h"

#include "foundation/GenericException.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(NSCharacterSetExtensions, LinebreaksAreTheSixBreaks) {
    CharacterSet linebreaks = linebreaksCharacterSet();
    for (char16_t unit : {0x0A, 0x0C, 0x0D, 0x85, 0x2028, 0x2029})
        EXPECT_TRUE(linebreaks.contains(unit)) << int(unit);
    EXPECT_FALSE(linebreaks.contains(0x0B));
    EXPECT_FALSE(linebreaks.contains(0x20));
    EXPECT_FALSE(linebreaks.contains(0x2027));
}

TEST(NSScannerExtensions, CharactersAndRemainingString) {
    TextScanner scanner(u"ab\u00e9");
    EXPECT_EQ(remainingString(scanner), u"ab\u00e9");
    EXPECT_EQ(currentCharacter(scanner), u'a');
    EXPECT_EQ(scanner.scanLocation(), 0u);
    EXPECT_EQ(scanCharacter(scanner), u'a');
    EXPECT_EQ(scanner.scanLocation(), 1u);
    EXPECT_FALSE(scanCharacter(scanner, u'x'));
    EXPECT_EQ(scanner.scanLocation(), 1u);
    EXPECT_TRUE(scanCharacter(scanner, u'b'));
    EXPECT_EQ(scanCharacter(scanner), u'\u00e9');
    // Nothing is read past the end.
    EXPECT_EQ(currentCharacter(scanner), 0);
    EXPECT_EQ(scanCharacter(scanner), 0);
    EXPECT_FALSE(scanCharacter(scanner, 0));
    EXPECT_EQ(scanner.scanLocation(), 3u);
}

TEST(NSScannerExtensions, BacktrackStopsAtTheStart) {
    TextScanner scanner(u"abcdef");
    scanner.setScanLocation(3);
    backtrack(scanner, 3);
    EXPECT_EQ(scanner.scanLocation(), 0u);
    scanner.setScanLocation(3);
    try {
        backtrack(scanner, 4);
        FAIL() << "no exception";
    } catch (const GenericException& exception) {
        EXPECT_EQ(exception.reason(), "Backtracked too far.");
    }
    EXPECT_EQ(scanner.scanLocation(), 3u);
}

std::string commentFailure(std::u16string text) {
    TextScanner scanner(std::move(text));
    try {
        scanCStyleComment(scanner, nullptr);
    } catch (const GenericException& exception) {
        return exception.reason();
    }
    return "";
}

TEST(NSScannerExtensions, BlockComments) {
    TextScanner scanner(u"/* a */x");
    std::u16string text;
    EXPECT_TRUE(scanCStyleComment(scanner, &text));
    EXPECT_EQ(text, u" a ");
    EXPECT_EQ(currentCharacter(scanner), u'x');
    EXPECT_FALSE(scanCStyleComment(scanner, &text));

    // The text scanner's "up to" step runs to the end, so the missing end shows at the last step.
    EXPECT_EQ(commentFailure(u"/* a"), "C style comment did not end correctly.");
    EXPECT_EQ(commentFailure(u"/*"), "Started to scan a C style comment but it wasn't terminated.");
    EXPECT_EQ(commentFailure(u"/**/"), "Started to scan a C style comment but it wasn't terminated.");
    EXPECT_EQ(commentFailure(u"/* a /* b */"), "C style comments should not be nested.");
}

TEST(NSScannerExtensions, LineComments) {
    TextScanner scanner(u"// hi\u2028\r\nx");
    std::optional<std::u16string> text;
    EXPECT_TRUE(scanCPlusPlusStyleComment(scanner, &text));
    EXPECT_EQ(text, u" hi");
    EXPECT_EQ(currentCharacter(scanner), u'x');

    TextScanner bare(u"//\nx");
    EXPECT_TRUE(scanCPlusPlusStyleComment(bare, &text));
    EXPECT_FALSE(text.has_value());

    TextScanner none(u"x// no");
    EXPECT_FALSE(scanCPlusPlusStyleComment(none, &text));
    EXPECT_EQ(none.scanLocation(), 0u);
}

TEST(NSScannerExtensions, StepsSkipOnlyWhatTheScannerIsToldTo) {
    TextScanner scanner(u"  // a");
    EXPECT_FALSE(scanCPlusPlusStyleComment(scanner, nullptr));
    scanner.setCharactersToBeSkipped(CharacterSet::withCharacters(u" "));
    std::optional<std::u16string> text;
    EXPECT_TRUE(scanCPlusPlusStyleComment(scanner, &text));
    EXPECT_EQ(text, u"a"); // the skipped space before the text is not part of it
}

} // namespace
} // namespace torvane
