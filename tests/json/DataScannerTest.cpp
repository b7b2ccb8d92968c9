#include "ScannerTestSupport.h"

#include "foundation/GenericException.h"

#include <gtest/gtest.h>

#include <cmath>

namespace torvane {
namespace {

using test::bytes;

TEST(DataScanner, SingleCharactersMoveOnlyWhenTaken) {
    auto scanner = DataScanner::scannerWithData(bytes("abc"));
    EXPECT_EQ(scanner.currentCharacter(), u'a');
    EXPECT_EQ(scanner.scanLocation(), 0u);
    EXPECT_EQ(scanner.scanCharacter(), u'a');
    EXPECT_EQ(scanner.scanLocation(), 1u);
    EXPECT_FALSE(scanner.scanCharacter(u'x'));
    EXPECT_EQ(scanner.scanLocation(), 1u);
    EXPECT_TRUE(scanner.scanCharacter(u'b'));
    EXPECT_FALSE(scanner.scanCharacter(char16_t(0x163))); // above 0xFF never matches a byte
}

TEST(DataScanner, ReadsNothingAtTheEnd) {
    auto scanner = DataScanner::scannerWithData(bytes("a"));
    scanner.scanCharacter();
    EXPECT_TRUE(scanner.isAtEnd());
    EXPECT_EQ(scanner.currentCharacter(), 0);
    EXPECT_EQ(scanner.scanCharacter(), 0);
    EXPECT_FALSE(scanner.scanCharacter(0));
    EXPECT_EQ(scanner.scanLocation(), 1u);

    DataScanner empty = DataScanner::scannerWithData(Data());
    EXPECT_TRUE(empty.isAtEnd());
    EXPECT_EQ(empty.scanCharacter(), 0);
    EXPECT_FALSE(empty.scanNumber(nullptr));
    EXPECT_TRUE(empty.scanUTF8String("", nullptr));
    EXPECT_FALSE(empty.scanUTF8String("a", nullptr));
    EXPECT_FALSE(empty.scanCStyleComment(nullptr));
    EXPECT_TRUE(DataScanner::scannerWithData(bytes("")).isAtEnd());
}

TEST(DataScanner, ClampsALocationPastTheEnd) {
    auto scanner = DataScanner::scannerWithData(bytes("abc"));
    scanner.setScanLocation(2);
    EXPECT_EQ(scanner.currentCharacter(), u'c');
    scanner.setScanLocation(99);
    EXPECT_EQ(scanner.scanLocation(), 3u);
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(DataScanner, SettingTheSameBufferKeepsTheCursor) {
    Data data = bytes("abc");
    auto scanner = DataScanner::scannerWithData(data);
    scanner.setScanLocation(2);
    scanner.setData(data);
    EXPECT_EQ(scanner.scanLocation(), 2u);
    scanner.setData(bytes("abc"));
    EXPECT_EQ(scanner.scanLocation(), 0u);
}

TEST(DataScanner, LiteralsMatchOnlyWhenWhollyPresent) {
    auto scanner = DataScanner::scannerWithData(bytes("tru"));
    EXPECT_FALSE(scanner.scanUTF8String("true", nullptr));
    EXPECT_EQ(scanner.scanLocation(), 0u);

    auto words = DataScanner::scannerWithData(bytes("héllo!"));
    Value literal = Value::string(u"héllo");
    Value taken;
    EXPECT_TRUE(words.scanString(literal, &taken));
    EXPECT_TRUE(taken.isIdenticalTo(literal));
    EXPECT_EQ(words.scanLocation(), 6u);

    // Without data the cursor is null; the empty literal still matches there.
    DataScanner empty;
    EXPECT_TRUE(empty.scanString(Value::string(u""), nullptr));
    EXPECT_FALSE(empty.scanString(literal, nullptr));
    EXPECT_TRUE(empty.scanUTF8String("", nullptr));
}

TEST(DataScanner, RunsFromAndUpToSets) {
    auto digits = CharacterSet::withCharacters(u"0123456789");
    auto scanner = DataScanner::scannerWithData(bytes("x12y"));
    Value untouched = Value::string(u"keep");
    Value out = untouched;
    EXPECT_FALSE(scanner.scanCharactersFromSet(digits, &out));
    EXPECT_TRUE(out.isIdenticalTo(untouched));
    EXPECT_TRUE(scanner.scanUpToCharactersFromSet(digits, &out));
    EXPECT_EQ(out.units(), u"x");
    EXPECT_TRUE(scanner.scanCharactersFromSet(digits, &out));
    EXPECT_EQ(out.units(), u"12");
    EXPECT_EQ(scanner.currentCharacter(), u'y');
}

TEST(DataScanner, InvalidUTF8GivesNoTextButStillMoves) {
    auto scanner = DataScanner::scannerWithData(bytes("\xFF\xFEz"));
    Value out = Value::string(u"old");
    EXPECT_TRUE(scanner.scanUpToCharactersFromSet(CharacterSet::withCharacters(u"z"), &out));
    EXPECT_TRUE(out.isNone());
    EXPECT_EQ(scanner.scanLocation(), 2u);
}

TEST(DataScanner, ScanUpToStringStopsAtTheOccurrence) {
    auto scanner = DataScanner::scannerWithData(bytes("ab*/cd"));
    Value out;
    EXPECT_TRUE(scanner.scanUpToString(Value::string(u"*/"), &out));
    EXPECT_EQ(out.units(), u"ab");
    EXPECT_EQ(scanner.currentCharacter(), u'*');
    EXPECT_TRUE(scanner.scanUpToString(Value::string(u"*/"), &out)); // right at the cursor
    EXPECT_EQ(out.units(), u"");

    auto missing = DataScanner::scannerWithData(bytes("abcd"));
    EXPECT_FALSE(missing.scanUpToString(Value::string(u"*/"), nullptr));
    EXPECT_EQ(missing.scanLocation(), 0u);

    // Like strnstr, the search ends at a NUL byte.
    auto withNul = DataScanner::scannerWithData(bytes(std::string_view("a\0*/", 4)));
    EXPECT_FALSE(withNul.scanUpToString(Value::string(u"*/"), nullptr));
}

double scannedNumber(std::string_view text, std::uint32_t* location = nullptr) {
    auto scanner = DataScanner::scannerWithData(bytes(text));
    Value number;
    EXPECT_TRUE(scanner.scanNumber(&number)) << text;
    if (location)
        *location = scanner.scanLocation();
    return number.doubleValue();
}

TEST(DataScanner, NumbersTakeTheRunAndReadItsLeadingNumeral) {
    std::uint32_t location = 0;
    EXPECT_EQ(scannedNumber("12,", &location), 12);
    EXPECT_EQ(location, 2u);
    EXPECT_EQ(scannedNumber("-12.5e2"), -1250);
    EXPECT_EQ(scannedNumber("1e"), 1);
    EXPECT_EQ(scannedNumber("1-2", &location), 1);
    EXPECT_EQ(location, 3u);
    EXPECT_EQ(scannedNumber("1.2.3"), 1.2);
    EXPECT_EQ(scannedNumber("-"), 0);
    EXPECT_EQ(scannedNumber("."), 0);
    EXPECT_EQ(scannedNumber("007"), 7);
    EXPECT_EQ(scannedNumber("1e400"), INFINITY);
    EXPECT_EQ(scannedNumber("-1e400"), -INFINITY);
    EXPECT_EQ(scannedNumber("1e-400"), 0);
    EXPECT_EQ(scannedNumber("0.1"), 0.1);
    EXPECT_EQ(scannedNumber("123456789012345678901234567890"), 123456789012345678901234567890.0);
    EXPECT_TRUE(std::signbit(scannedNumber("-0")));
    EXPECT_FALSE(DataScanner::scannerWithData(bytes("x")).scanNumber(nullptr));
}

TEST(DataScanner, ExponentsMayCarryAPlusSign) {
    std::uint32_t location = 0;
    EXPECT_EQ(scannedNumber("1e+5", &location), 100000);
    EXPECT_EQ(location, 4u);
    EXPECT_EQ(scannedNumber("2.5E-1"), 0.25);
    EXPECT_EQ(scannedNumber("1e+"), 1);
    EXPECT_EQ(scannedNumber("+5"), 0); // a sign before the digits is a minus or nothing
}

TEST(DataScanner, NumbersFollowTheCharactersSet) {
    auto scanner = DataScanner::scannerWithData(bytes("1e+5"));
    scanner.setDoubleCharacters(CharacterSet::withCharacters(u"0123456789eE-."));
    Value number;
    EXPECT_TRUE(scanner.scanNumber(&number));
    EXPECT_EQ(number.doubleValue(), 1);
    EXPECT_EQ(scanner.currentCharacter(), u'+');
}

TEST(DataScanner, WhitespaceIsTheSixCBytes) {
    auto scanner = DataScanner::scannerWithData(bytes(" \t\n\v\f\rx"));
    scanner.skipWhitespace();
    EXPECT_EQ(scanner.currentCharacter(), u'x');
    auto high = DataScanner::scannerWithData(bytes("\xA0x"));
    high.skipWhitespace();
    EXPECT_EQ(high.scanLocation(), 0u);
}

TEST(DataScanner, RemainingStringIsTheRestOrNone) {
    auto scanner = DataScanner::scannerWithData(bytes("ab\xC3\xA9"));
    scanner.scanCharacter();
    EXPECT_EQ(scanner.remainingString().units(), u"b\u00e9");
    EXPECT_EQ(scanner.scanLocation(), 1u);
    EXPECT_TRUE(DataScanner::scannerWithData(bytes("\xC3")).remainingString().isNone());
}

std::string thrownReason(DataScanner& scanner) {
    try {
        scanner.scanCStyleComment(nullptr);
    } catch (const GenericException& exception) {
        return exception.reason();
    }
    return "";
}

TEST(DataScannerExtensions, BlockComments) {
    auto scanner = DataScanner::scannerWithData(bytes("/* a */x"));
    Value text;
    EXPECT_TRUE(scanner.scanCStyleComment(&text));
    EXPECT_EQ(text.units(), u" a ");
    EXPECT_EQ(scanner.currentCharacter(), u'x');
    EXPECT_FALSE(scanner.scanCStyleComment(&text));

    auto empty = DataScanner::scannerWithData(bytes("/**/"));
    EXPECT_TRUE(empty.scanCStyleComment(&text));
    EXPECT_EQ(text.units(), u"");

    auto open = DataScanner::scannerWithData(bytes("/* a"));
    EXPECT_EQ(thrownReason(open), "Started to scan a C style comment but it wasn't terminated.");
    EXPECT_EQ(open.scanLocation(), 2u);
    auto nested = DataScanner::scannerWithData(bytes("/* a /* b */"));
    EXPECT_EQ(thrownReason(nested), "C style comments should not be nested.");
    EXPECT_EQ(nested.currentCharacter(), u'*');
}

TEST(DataScannerExtensions, LineComments) {
    auto scanner = DataScanner::scannerWithData(bytes("// hi\r\n\nx"));
    Value text;
    EXPECT_TRUE(scanner.scanCPlusPlusStyleComment(&text));
    EXPECT_EQ(text.units(), u" hi");
    EXPECT_EQ(scanner.currentCharacter(), u'x');

    auto atEnd = DataScanner::scannerWithData(bytes("//"));
    text = Value::string(u"old");
    EXPECT_TRUE(atEnd.scanCPlusPlusStyleComment(&text));
    EXPECT_TRUE(text.isNone());

    // A vertical tab does not end the line; the byte 0x85 does.
    auto tabbed = DataScanner::scannerWithData(bytes("//a\vb\x85y"));
    EXPECT_TRUE(tabbed.scanCPlusPlusStyleComment(nullptr));
    EXPECT_EQ(tabbed.currentCharacter(), u'y');

    EXPECT_FALSE(DataScanner::scannerWithData(bytes("/x")).scanCPlusPlusStyleComment(nullptr));
}

} // namespace
} // namespace torvane
