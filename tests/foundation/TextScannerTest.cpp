#include "foundation/TextScanner.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(TextScanner, UpToStepsRunToTheEndWhenTheStopNeverComes) {
    TextScanner scanner(u"abc*/def");
    std::u16string text;
    EXPECT_TRUE(scanner.scanUpToString(u"*/", &text));
    EXPECT_EQ(text, u"abc");
    EXPECT_FALSE(scanner.scanUpToString(u"*/", &text)); // takes nothing at the stop
    EXPECT_TRUE(scanner.scanString(u"*/", nullptr));
    EXPECT_TRUE(scanner.scanUpToString(u"*/", &text));
    EXPECT_EQ(text, u"def");
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(TextScanner, SetsAndLiterals) {
    auto digits = CharacterSet::withCharacters(u"0123456789");
    TextScanner scanner(u"12ab3");
    std::u16string text = u"keep";
    EXPECT_FALSE(scanner.scanUpToCharactersFromSet(digits, &text));
    EXPECT_EQ(text, u"keep");
    EXPECT_TRUE(scanner.scanCharactersFromSet(digits, &text));
    EXPECT_EQ(text, u"12");
    EXPECT_FALSE(scanner.scanString(u"ax", nullptr));
    EXPECT_FALSE(scanner.scanString(u"", nullptr));
    EXPECT_TRUE(scanner.scanString(u"ab", nullptr));
    EXPECT_EQ(scanner.scanLocation(), 4u);
    scanner.setScanLocation(100);
    EXPECT_EQ(scanner.scanLocation(), 5u);
}

TEST(TextScanner, SkipsOnlyWhenTold) {
    TextScanner scanner(u"  x");
    EXPECT_FALSE(scanner.scanString(u"x", nullptr));
    EXPECT_FALSE(scanner.isAtEnd());
    scanner.setCharactersToBeSkipped(CharacterSet::withCharacters(u" "));
    EXPECT_TRUE(scanner.scanString(u"x", nullptr));
    TextScanner blank(u"   ");
    blank.setCharactersToBeSkipped(CharacterSet::withCharacters(u" "));
    EXPECT_TRUE(blank.isAtEnd());
}

} // namespace
} // namespace torvane
