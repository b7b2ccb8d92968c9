#include "ScannerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <random>
#include <string>

namespace torvane {
namespace {

using test::jsonScanner;

struct Scan {
    bool succeeded{false};
    Value value;
    Error error;
    std::uint32_t location{0};
};

Scan scanObject(std::string_view text) {
    auto scanner = jsonScanner(text);
    Scan scan;
    scan.succeeded = scanner.scanJSONObject(&scan.value, &scan.error);
    scan.location = scanner.scanLocation();
    return scan;
}

long failureCode(std::string_view text) {
    Scan scan = scanObject(text);
    EXPECT_FALSE(scan.succeeded) << text;
    EXPECT_EQ(scan.error.domain, JSONScanner::errorDomain);
    EXPECT_FALSE(scan.error.localizedDescription().empty());
    return scan.error.code;
}

Value parsed(std::string_view text) {
    Scan scan = scanObject(text);
    EXPECT_TRUE(scan.succeeded) << text << ": " << scan.error.localizedDescription();
    return scan.value;
}

TEST(JSONScanner, ReadsEveryKindOfValue) {
    Value value = parsed(R"({"a": [1, 2.5, true, null], "b": {}})");
    ASSERT_TRUE(value.isDictionary());
    Value a = value.objectForKey("a");
    ASSERT_EQ(a.count(), 4u);
    EXPECT_EQ(a[0].doubleValue(), 1);
    EXPECT_EQ(a[0].numberType(), NumberType::Double);
    EXPECT_EQ(a[1].doubleValue(), 2.5);
    EXPECT_TRUE(a[2].isBoolean() && a[2].boolValue());
    EXPECT_TRUE(a[3].isNull());
    EXPECT_TRUE(value.objectForKey("b").isDictionary());
    EXPECT_EQ(value.objectForKey("b").count(), 0u);

    EXPECT_TRUE(parsed("[ ]").isArray());
    EXPECT_TRUE(parsed("{ }").isDictionary());
    EXPECT_TRUE(parsed("false").isBoolean());
    EXPECT_EQ(parsed("-0.5e-3").doubleValue(), -0.0005);
}

TEST(JSONScanner, StringsDecodeEscapesOneUnitEach) {
    EXPECT_EQ(parsed(R"("A\u00e9\n")").units(), u"A\u00e9\n");
    EXPECT_EQ(parsed(R"("\uD83D\uDE00")").units(), u"\U0001F600");
    EXPECT_EQ(parsed(R"("\uD800")").units(), std::u16string(1, char16_t(0xD800)));
    EXPECT_EQ(parsed(R"("a\u0000b")").units(), std::u16string(u"a\0b", 3));
    EXPECT_EQ(parsed(R"("\"\\\/\b\f\r\t")").units(), u"\"\\/\b\f\r\t");
    EXPECT_EQ(parsed("\"tab\there\"").units(), u"tab\there");
    EXPECT_EQ(parsed("\"caf\xC3\xA9 \xF0\x9F\x98\x80 \\n\"").units(), u"caf\u00e9 \U0001F600 \n");
    EXPECT_EQ(parsed("\"a long plain ascii run of more than sixteen bytes\"").units(),
              u"a long plain ascii run of more than sixteen bytes");
}

TEST(JSONScanner, SurrogateEscapesPairOnlyWithTheirPartner) {
    // A pair is one character, as if written in UTF-8; anything else keeps each unit.
    EXPECT_EQ(parsed(R"("\uD83D\uDE00")"), parsed("\"\xF0\x9F\x98\x80\""));
    EXPECT_EQ(parsed(R"("\uD83D\u0041")").units(), (std::u16string{0xD83D, u'A'}));
    EXPECT_EQ(parsed(R"("\uD83D\uD83D\uDE00")").units(), (std::u16string{0xD83D, 0xD83D, 0xDE00}));
    EXPECT_EQ(parsed(R"("\uDE00\uD83D")").units(), (std::u16string{0xDE00, 0xD83D}));
    EXPECT_EQ(failureCode(R"("\uD83D\uDE0")"), JSONScanner::stringBadUnicode);

    // Escapes amid longer text, away from the buffer's start, are read sixteen bytes at a time.
    for (std::size_t padding : {0, 7, 20}) {
        std::string pad(padding, 'a');
        auto units = [&](const std::string& escaped) {
            std::u16string read = parsed("  \"" + pad + escaped + pad + "\"" + std::string(32, ' ')).units();
            return read.substr(padding, read.size() - 2 * padding);
        };
        EXPECT_EQ(units(R"(\uD83D\uDE00\u00e9\u0000\n)"), (std::u16string{0xD83D, 0xDE00, 0xE9, 0, u'\n'}));
        EXPECT_EQ(units(R"(\uD83D\u0041)"), (std::u16string{0xD83D, u'A'}));
        EXPECT_EQ(units(R"(\uD83D\uD83D\uDE00)"), (std::u16string{0xD83D, 0xD83D, 0xDE00}));
        EXPECT_EQ(units(R"(\uDE00\uD83D)"), (std::u16string{0xDE00, 0xD83D}));
        EXPECT_EQ(failureCode("  \"" + pad + R"(\uD83D\uDE0")" + pad + std::string(32, ' ')),
                  JSONScanner::stringBadUnicode);
    }
}

TEST(JSONScanner, TextBeyondASCIIIsCheckedAtEveryPositionOfABlock) {
    // The blocks check sequences of one to four bytes sixteen at a time: each good one must be
    // kept and each bad one refused, wherever it falls among other text.
    const char* good[] = {"\xC2\x80",     "\xDF\xBF",     "\xE0\xA0\x80",     "\xED\x9F\xBF",
                          "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"};
    const char* bad[] = {"\xC0\xAF",
                         "\xC1\xBF",
                         "\xC2",
                         "\xC2\x41",
                         "\xE0\x9F\xBF",
                         "\xED\xA0\x80",
                         "\xE2\x82",
                         "\xF0\x8F\xBF\xBF",
                         "\xF4\x90\x80\x80",
                         "\xF5\x80\x80\x80",
                         "\xF0\x9F\x98",
                         "\x80",
                         "\xBF\xBF",
                         "\xF8\x88\x80\x80\x80"};
    const std::string words = "\xD0\xBF\xE6\x9D\xB1 a\xF0\x9F\x94\xA6"; // Cyrillic, CJK, an emoji
    // A string at the very start of the buffer is read one way, one further on another.
    for (std::string lead : {"", "   "}) {
        for (std::size_t position = 0; position < 24; ++position) {
            std::string before = lead + "\"" + std::string(position, 'a') + words;
            for (const char* sequence : good) {
                std::string text = before + sequence + words + words;
                EXPECT_EQ(parsed(text + "\"").text(), text.substr(lead.size() + 1)) << position;
            }
            for (const char* sequence : bad) {
                EXPECT_EQ(failureCode(before + sequence + words + words + "\""), JSONScanner::stringNotUTF8)
                    << position << " " << sequence;
                // Cut off by the closing quotation mark or an escape (text follows, so that blocks
                // reach them), and only after the string ends.
                EXPECT_EQ(failureCode(before + sequence + "\"" + words), JSONScanner::stringNotUTF8)
                    << position;
                EXPECT_EQ(failureCode(before + sequence + "\\n" + words + "\"" + words),
                          JSONScanner::stringNotUTF8)
                    << position;
                EXPECT_EQ(failureCode(before + "\\n" + sequence + words + "\"" + words),
                          JSONScanner::stringNotUTF8)
                    << position;
                EXPECT_EQ(parsed(before + "\" " + sequence + words).text(), before.substr(lead.size() + 1))
                    << position;
            }
        }
    }
}

TEST(JSONScanner, EveryStopIsFoundAtEveryPositionOfABlock) {
    // The inner loops take sixteen or eight bytes at a time: each kind of stop, and each kind of
    // whitespace, at every position of two blocks must be seen where it is.
    const std::pair<std::string, std::u16string> stops[] = {{"\\n", u"\n"},
                                                            {"\\\\", u"\\"},
                                                            {"\xC3\xA9", u"\u00e9"},
                                                            {"\xE6\x9D\xB1", u"\u6771"},
                                                            {"\xF0\x9F\x98\x80", u"\U0001F600"},
                                                            {"\x7F", u"\x7F"}};
    for (std::size_t position = 0; position < 40; ++position) {
        std::string plain(position, 'a');
        std::u16string plainUnits(position, u'a');
        for (const auto& [bytes, units] : stops) {
            EXPECT_EQ(parsed("\"" + plain + bytes + "bc\"").units(), plainUnits + units + u"bc") << position;
            EXPECT_EQ(parsed("[\"" + plain + bytes + plain + "\"]")[0].units(),
                      plainUnits + units + plainUnits);
        }
        EXPECT_EQ(parsed("\"" + plain + "\"").units(), plainUnits);
        EXPECT_EQ(failureCode("\"" + plain + "\xFF" + plain + "\""), JSONScanner::stringNotUTF8);
        EXPECT_EQ(failureCode("\"" + plain), JSONScanner::stringNotTerminated);
        for (char space : std::string(" \t\n\v\f\r")) {
            std::string spaces = std::string(position, ' ') + space + std::string(position, space);
            EXPECT_EQ(parsed("[" + spaces + "1" + spaces + "," + spaces + "2" + spaces + "]").count(), 2u);
        }
    }
}

TEST(JSONScanner, WhitespaceAfterACommaIsNotTakenForTheLastRunAtItsDepth) {
    // Runs longer, shorter and as long as the one before, up to past two blocks, some ending in a
    // byte that is not whitespace, in arrays and dictionaries at two depths.
    const std::size_t lengths[] = {4, 4, 1, 4, 9, 0, 31, 32, 31, 40, 3, 4, 4, 2};
    std::string array = "[", dictionary = "{";
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
        std::string run = "\n" + std::string(lengths[i], ' ');
        array += std::to_string(i) + "," + run;
        dictionary += "\"k" + std::to_string(i) + "\": [" + std::to_string(i) + "," + run + "-1]," + run;
    }
    array += "99]";
    dictionary += "\"end\": 0}";
    Value values = parsed(array + std::string(40, ' '));
    ASSERT_EQ(values.count(), std::size(lengths) + 1);
    for (std::size_t i = 0; i < std::size(lengths); ++i)
        EXPECT_EQ(values[i].doubleValue(), double(i));
    // A longer run than the last ends in the closing bracket after a trailing comma.
    EXPECT_EQ(parsed("[0,\n    1,\n        ]" + std::string(40, ' ')).count(), 2u);
    Value members = parsed(dictionary + std::string(40, ' '));
    ASSERT_EQ(members.count(), std::size(lengths) + 1);
    for (std::size_t i = 0; i < std::size(lengths); ++i)
        EXPECT_EQ(members.valueAt(i)[1].doubleValue(), -1);
}

TEST(JSONScanner, BadStringsFailAndGoBack) {
    auto scanner = jsonScanner(R"(  "\x")");
    Error error;
    Value untouched = Value::string(u"keep");
    Value out = untouched;
    EXPECT_FALSE(scanner.scanJSONStringConstant(&out, &error));
    EXPECT_EQ(error.code, JSONScanner::stringBadEscape);
    EXPECT_EQ(error.localizedDescription(), "Could not scan string constant. Unknown escape code.");
    EXPECT_EQ(scanner.scanLocation(), 0u); // before the whitespace
    EXPECT_TRUE(out.isIdenticalTo(untouched));

    EXPECT_EQ(failureCode(R"("\u12G4")"), JSONScanner::stringBadUnicode);
    EXPECT_EQ(failureCode("'abc'"), JSONScanner::stringNotStarted);
    EXPECT_EQ(scanObject("'abc'").error.localizedDescription(),
              "Could not scan string constant. String not started by a '\"' character.");
    // At the end of the data: after a backslash, inside \u, before the closing mark.
    EXPECT_EQ(failureCode("\"ab\\"), JSONScanner::stringBadEscape);
    EXPECT_EQ(failureCode("\"ab\\u12"), JSONScanner::stringBadUnicode);
    EXPECT_EQ(failureCode("\"abc"), JSONScanner::stringNotTerminated);
    EXPECT_EQ(failureCode("\"abc\\n"), JSONScanner::stringNotTerminated);
    EXPECT_EQ(failureCode("\""), JSONScanner::stringNotTerminated);
}

TEST(JSONScanner, StringBytesMustBeUTF8) {
    EXPECT_EQ(failureCode("\"a\xFF\""), JSONScanner::stringNotUTF8);
    EXPECT_EQ(failureCode("\"\xC0\xAF\""), JSONScanner::stringNotUTF8);     // overlong
    EXPECT_EQ(failureCode("\"\xED\xA0\x80\""), JSONScanner::stringNotUTF8); // encoded surrogate
    EXPECT_EQ(failureCode("\"\xE2\x82\""), JSONScanner::stringNotUTF8);     // cut short
    EXPECT_EQ(scanObject("\"a\xFF\"").error.localizedDescription(),
              "Could not scan string constant. String is not valid UTF-8.");
}

TEST(JSONScanner, MixedTextWithAnyBadSequenceReadsAsDecodedByteByByte) {
    // Text beyond ASCII is taken sixteen bytes at a time where enough of it follows: any mix of
    // sequence lengths, at any alignment, with a bad sequence anywhere or none, must read as the
    // byte-by-byte decoding reads it. The sequences are the edges of each length's ranges.
    const std::string good[] = {"a",
                                " ",
                                "\x7F",
                                "\xC2\x80",
                                "\xDF\xBF",
                                "\xE0\xA0\x80",
                                "\xED\x9F\xBF",
                                "\xEE\x80\x80",
                                "\xEF\xBF\xBF",
                                "\xF0\x90\x80\x80",
                                "\xF4\x8F\xBF\xBF"};
    const std::string bad[] = {"\x80",
                               "\xC1\xBF",
                               "\xC3",
                               "\xE0\x9F\xBF",
                               "\xED\xA0\x80",
                               "\xE6\x9D",
                               "\xF0\x8F\xBF\xBF",
                               "\xF4\x90\x80\x80",
                               "\xF8\x88\x80\x80",
                               "\xFF"};
    std::mt19937 random(16);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        for (std::size_t pieces = random() % 40; pieces > 0; --pieces)
            text += good[random() % std::size(good)];
        if (round % 2 == 0) {
            std::size_t at = random() % (text.size() + 1);
            while (at > 0 && (std::uint8_t(text[at]) & 0xC0) == 0x80)
                --at; // a boundary between sequences
            text.insert(at, bad[random() % std::size(bad)]);
        }
        Value expected = Value::stringFromUTF8(text);
        // Spaces after the string let the blocks reach its end.
        Scan scan = scanObject("\"" + text + "\"" + std::string(20, ' '));
        if (expected)
            EXPECT_EQ(scan.value.units(), expected.units()) << round;
        else
            EXPECT_EQ(scan.error.code, JSONScanner::stringNotUTF8) << round;
    }
}

TEST(JSONScanner, DictionaryErrors) {
    EXPECT_EQ(failureCode(R"({"a" 1})"), JSONScanner::dictionaryNoColon);
    EXPECT_EQ(failureCode(R"({1:2})"), JSONScanner::dictionaryKeyFailed);
    EXPECT_EQ(failureCode(R"({"a":1 "b":2})"), JSONScanner::dictionaryNoComma);
    EXPECT_EQ(failureCode(R"({"k": [1, "\q"]})"), JSONScanner::dictionaryValueFailed);
    EXPECT_EQ(failureCode(R"({"a":1)"), JSONScanner::dictionaryNoComma);
    EXPECT_EQ(failureCode(R"({"a")"), JSONScanner::dictionaryNoColon);
    EXPECT_EQ(failureCode(R"({"a":1, "b")"), JSONScanner::dictionaryNoColon);
    EXPECT_EQ(scanObject(R"({"a" 1})").error.localizedDescription(),
              "Could not scan dictionary. Key was not terminated with a ':' character.");

    auto scanner = jsonScanner(R"( {})");
    Error error;
    EXPECT_FALSE(scanner.scanJSONDictionary(nullptr, &error));
    EXPECT_EQ(error.code, JSONScanner::dictionaryNotStarted);
    EXPECT_EQ(error.localizedDescription(),
              "Could not scan dictionary. Dictionary that does not start with '{' character.");
    EXPECT_EQ(scanner.scanLocation(), 0u);
}

TEST(JSONScanner, ArrayErrors) {
    auto scanner = jsonScanner("  [1 2]");
    Error error;
    Value out;
    EXPECT_FALSE(scanner.scanJSONObject(&out, &error));
    EXPECT_EQ(error.code, JSONScanner::arrayNoComma);
    EXPECT_EQ(error.localizedDescription(), "Could not scan array. Array not terminated by a ']' character.");
    EXPECT_EQ(scanner.scanLocation(), 2u); // back on the '['
    EXPECT_TRUE(out.isNone());

    EXPECT_EQ(failureCode("[1"), JSONScanner::arrayNoComma);
    EXPECT_EQ(failureCode(R"([1, "\q"])"), JSONScanner::arrayValueFailed);
    EXPECT_EQ(scanObject(R"([1, "\q"])").error.localizedDescription(),
              "Could not scan array. Could not scan a value.");
    EXPECT_EQ(parsed("[1e+5]")[0].doubleValue(), 100000);

    auto dictionary = jsonScanner("{}");
    EXPECT_FALSE(dictionary.scanJSONArray(nullptr, &error));
    EXPECT_EQ(error.code, JSONScanner::arrayNotStarted);
    EXPECT_EQ(error.localizedDescription(),
              "Could not scan array. Array that does not start with '[' character.");
}

TEST(JSONScanner, ArrayElementsMustBeValues) {
    for (const char* text : {"[,1]", "[1,,2]", "[tru]", "[", "[1,", "[+1]", "[.5]", "[}"})
        EXPECT_EQ(failureCode(text), JSONScanner::arrayValueFailed) << text;
    EXPECT_EQ(failureCode("[\"abc"), JSONScanner::arrayValueFailed); // the container's code wins
}

TEST(JSONScanner, TrailingCommasAndMissingValues) {
    EXPECT_EQ(parsed("[1,]").count(), 1u);
    EXPECT_EQ(parsed(R"({"a":1,})").count(), 1u);
    EXPECT_EQ(parsed(R"({"a":})").count(), 0u);
    Value single = parsed(R"({"a":,"b":2})");
    ASSERT_EQ(single.count(), 1u);
    EXPECT_EQ(single.objectForKey("b").doubleValue(), 2);
}

TEST(JSONScanner, LaterKeysWinAndKeepTheFirstPlace) {
    Value value = parsed(R"({"a":1,"b":2,"a":3})");
    ASSERT_EQ(value.count(), 2u);
    EXPECT_EQ(value.keyAt(0).units(), u"a");
    EXPECT_EQ(value.valueAt(0).doubleValue(), 3);

    // A pair without a value removes the earlier entry; a later one adds it back at the end.
    Value removed = parsed(R"({"a":1,"b":2,"a":,"c":3,"a":4})");
    ASSERT_EQ(removed.count(), 3u);
    EXPECT_EQ(removed.keyAt(0).units(), u"b");
    EXPECT_EQ(removed.keyAt(2).units(), u"a");
    EXPECT_EQ(removed.valueAt(2).doubleValue(), 4);

    std::string many = "{";
    for (int i = 0; i < 100; ++i)
        many += "\"k" + std::to_string(i % 40) + "\":" + std::to_string(i) + ",";
    many += "}";
    Value large = parsed(many);
    ASSERT_EQ(large.count(), 40u);
    EXPECT_EQ(large.keyAt(0).units(), u"k0");
    EXPECT_EQ(large.valueAt(0).doubleValue(), 80);

    std::string distinct = "{";
    for (int i = 0; i < 100; ++i)
        distinct += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    distinct += "\"k\":-1}";
    Value unique = parsed(distinct);
    ASSERT_EQ(unique.count(), 101u);
    EXPECT_EQ(unique.keyAt(99).units(), u"k99");
    EXPECT_EQ(unique.valueAt(100).doubleValue(), -1);

    // Repeats hidden behind a nested dictionary with the same keys, and a key written with an
    // escape against the same key written plainly.
    Value hidden = parsed(R"({"a":1,"b":{"a":2,"b":3},"c":{"d":{"a":0}},"a":4,"e":{"a":5,"a":6}})");
    ASSERT_EQ(hidden.count(), 4u);
    EXPECT_EQ(hidden.valueAt(0).doubleValue(), 4);
    EXPECT_EQ(hidden.objectForKey("b").count(), 2u);
    EXPECT_EQ(hidden.objectForKey("e").count(), 1u);
    EXPECT_EQ(hidden.objectForKey("e").valueAt(0).doubleValue(), 6);
    Value empty = parsed(R"({"":1,"a":2,"":3})");
    ASSERT_EQ(empty.count(), 2u);
    EXPECT_EQ(empty.valueAt(0).doubleValue(), 3);
    Value escaped = parsed(R"({"\u0061":1,"a":2,"x":{"a":3,"\u0061":4}})");
    ASSERT_EQ(escaped.count(), 2u);
    EXPECT_EQ(escaped.valueAt(0).doubleValue(), 2);
    EXPECT_EQ(escaped.objectForKey("x").count(), 1u);
    EXPECT_EQ(escaped.objectForKey("x").valueAt(0).doubleValue(), 4);

    // Keys 64 apart in the key table share their mark in a dictionary: told apart, and repeated.
    std::string apart = "[{";
    for (int i = 0; i < 70; ++i)
        apart += "\"k" + std::to_string(i) + "\":0,";
    apart += R"("k":0},{"k64":1,"k0":2},{"k0":1,"k64":2,"k0":3}])";
    Value marks = parsed(apart);
    EXPECT_EQ(marks[1].count(), 2u);
    ASSERT_EQ(marks[2].count(), 2u);
    EXPECT_EQ(marks[2].valueAt(0).doubleValue(), 3);

    // Nested dictionaries with the same keys keep their own.
    Value levels = parsed(R"({"a":1,"x":{"a":2,"y":{"a":3,"z":{"a":4}},"a":5},"a":6})");
    ASSERT_EQ(levels.count(), 2u);
    EXPECT_EQ(levels.valueAt(0).doubleValue(), 6);
    ASSERT_EQ(levels.objectForKey("x").count(), 2u);
    EXPECT_EQ(levels.objectForKey("x").valueAt(0).doubleValue(), 5);

    // Records that break the order of the keys before them, with keys alike in their first eight
    // bytes; and the same key read far from the buffer's end and within a word of it.
    Value records = parsed(R"([{"abcdefgh1":1,"abcdefgh":2},{"abcdefgh2":3,"abcdefgh1":4,"abcdefgh2":5}])");
    ASSERT_EQ(records.count(), 2u);
    EXPECT_EQ(records[0].count(), 2u);
    ASSERT_EQ(records[1].count(), 2u);
    EXPECT_EQ(records[1].valueAt(0).doubleValue(), 5);
    Value end = parsed(R"({"ab":{"ab":1},"ab":2})");
    ASSERT_EQ(end.count(), 1u);
    EXPECT_EQ(end.valueAt(0).doubleValue(), 2);
}

TEST(JSONScanner, DispatchOnTheFirstCharacter) {
    Scan truex = scanObject("truex");
    EXPECT_TRUE(truex.value.boolValue());
    EXPECT_EQ(truex.location, 4u);

    for (const char* text : {"tru", "x", "+1", ".5", "}", "", "  ", "\xC3\xA9"}) {
        Scan scan = scanObject(text);
        EXPECT_TRUE(scan.succeeded) << text;
        EXPECT_TRUE(scan.value.isNone()) << text;
        EXPECT_TRUE(scan.error.domain.empty()) << text;
    }

    Scan exponent = scanObject("1e+5x");
    EXPECT_EQ(exponent.value.doubleValue(), 100000);
    EXPECT_EQ(exponent.location, 4u);
}

TEST(JSONScanner, ObjectAlwaysWritesItsOutParameter) {
    auto scanner = jsonScanner("[1 2]");
    Value out = Value::string(u"stale");
    EXPECT_FALSE(scanner.scanJSONObject(&out, nullptr));
    EXPECT_TRUE(out.isNone());
    auto nothing = jsonScanner("x");
    out = Value::string(u"stale");
    EXPECT_TRUE(nothing.scanJSONObject(&out, nullptr));
    EXPECT_TRUE(out.isNone());
}

TEST(JSONScanner, NumbersRejectNonNumbers) {
    auto scanner = jsonScanner("x");
    Error error;
    EXPECT_FALSE(scanner.scanJSONNumberConstant(nullptr, &error));
    EXPECT_EQ(error.code, JSONScanner::numberNotStarted);
    EXPECT_EQ(error.localizedDescription(), "Could not scan number constant.");
    EXPECT_EQ(parsed("-").doubleValue(), 0);
    EXPECT_EQ(parsed("0012").doubleValue(), 12);
    EXPECT_EQ(parsed("1.2.3").doubleValue(), 1.2);
}

// Integers are read up to eight digits at a time where eight bytes remain, and one at a time
// near the end of the buffer: every length, with each kind of byte after the digits.
TEST(JSONScanner, NumbersOfEveryLengthEndAtTheirStop) {
    const std::string digits = "98765432109876543";
    for (std::size_t length = 1; length <= digits.size(); ++length)
        for (const char* sign : {"", "-"})
            for (std::string stop : {"", "]", ".5", "e2", "\xFA\xFA\xFA\xFA\xFA\xFA\xFA\xFA", "        "}) {
                bool fraction = stop == ".5" || stop == "e2";
                std::string numeral = sign + digits.substr(0, length) + (fraction ? stop : "");
                std::string text = numeral + (fraction ? "" : stop);
                Scan scan = scanObject(text);
                EXPECT_EQ(scan.value.doubleValue(), std::strtod(numeral.c_str(), nullptr)) << text;
                EXPECT_EQ(scan.location, numeral.size()) << text;
            }
}

TEST(JSONScanner, NestingHasALimit) {
    std::string deep(JSONScanner::maximumNestingDepth, '[');
    deep += std::string(JSONScanner::maximumNestingDepth, ']');
    EXPECT_TRUE(parsed(deep).isArray());

    std::string tooDeep(JSONScanner::maximumNestingDepth + 1, '[');
    EXPECT_EQ(failureCode(tooDeep), JSONScanner::nestingTooDeep);
    EXPECT_EQ(failureCode(std::string(1'000'000, '[')), JSONScanner::nestingTooDeep);
    std::string mixed;
    for (unsigned i = 0; i <= JSONScanner::maximumNestingDepth; ++i)
        mixed += "{\"a\":";
    EXPECT_EQ(failureCode(mixed), JSONScanner::nestingTooDeep);
    EXPECT_EQ(scanObject(tooDeep).error.localizedDescription(),
              "Could not scan value. Arrays and dictionaries nested too deeply.");
}

TEST(JSONScanner, NotQuoteCharacters) {
    auto scanner = jsonScanner("ab\\c\"");
    Value out;
    EXPECT_TRUE(scanner.scanNotQuoteCharactersIntoString(&out));
    EXPECT_EQ(out.units(), u"ab");
    EXPECT_FALSE(scanner.scanNotQuoteCharactersIntoString(&out));
    scanner.setScanLocation(99);
    EXPECT_FALSE(scanner.scanNotQuoteCharactersIntoString(&out));
}

Data encoded(std::u16string_view text, bool bigEndian) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        std::uint8_t high = std::uint8_t(unit >> 8), low = std::uint8_t(unit);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return Data::adopt(std::move(bytes));
}

TEST(JSONScanner, ReadsUTF16AndUTF32) {
    for (bool big : {false, true}) {
        auto scanner = JSONScanner::scannerWithData(encoded(u"[1,\"\u00e9\U0001F600\"]", big));
        Value value;
        ASSERT_TRUE(scanner.scanJSONObject(&value, nullptr));
        ASSERT_EQ(value.count(), 2u);
        EXPECT_EQ(value[1].units(), u"\u00e9\U0001F600");
    }
    auto little32 = JSONScanner::scannerWithData(Data::copy(std::string_view("[\0\0\0"
                                                                             "7\0\0\0]\0\0\0",
                                                                             12)));
    Value value;
    ASSERT_TRUE(little32.scanJSONObject(&value, nullptr));
    EXPECT_EQ(value[0].doubleValue(), 7);
    auto big32 = JSONScanner::scannerWithData(Data::copy(std::string_view("\0\0\0[\0\0\0]", 8)));
    ASSERT_TRUE(big32.scanJSONObject(&value, nullptr));
    EXPECT_TRUE(value.isArray());
}

TEST(JSONScanner, UndecodableWideTextFailsAtTheFirstScan) {
    std::u16string lone = u"[\"a\"]";
    lone[2] = 0xD800;
    for (Data data : {encoded(lone, false), Data::copy(std::string_view("[\0\0\0]\0\0", 7)),
                      Data::copy(std::string_view("\0\0\0[\0\x11\0\0", 8))}) {
        auto scanner = JSONScanner::scannerWithData(data);
        Error error;
        Value out = Value::null();
        EXPECT_FALSE(scanner.scanJSONObject(&out, &error));
        EXPECT_TRUE(out.isNone());
        EXPECT_EQ(error.code, JSONScanner::dataNotDecodable);
        EXPECT_EQ(error.localizedDescription(),
                  "Could not scan data. Data could not be decoded as UTF-16 or UTF-32.");
        EXPECT_FALSE(scanner.scanJSONArray(nullptr, nullptr));
    }
}

TEST(JSONScanner, AByteOrderMarkIsNotRemoved) {
    Scan scan = scanObject("\xEF\xBB\xBF[1]");
    EXPECT_TRUE(scan.succeeded);
    EXPECT_TRUE(scan.value.isNone());
}

TEST(JSONScanner, AValueHoldsMemoryInProportionToItself) {
    // One number at the front of a large buffer: its tree must not be sized by the rest.
    std::string text = "1" + std::string(4 << 20, ' ');
    Value number;
    auto scanner = jsonScanner(text);
    ASSERT_TRUE(scanner.scanJSONNumberConstant(&number, nullptr));
    EXPECT_LT(number.arena()->bytesReserved(), 4096u);

    std::string strings = "[" + std::string(1000, ' ') + "\"a\"," + std::string(1 << 20, ' ') + "\"b\"]";
    Value array;
    auto arrayScanner = jsonScanner(strings);
    ASSERT_TRUE(arrayScanner.scanJSONObject(&array, nullptr));
    EXPECT_LT(array.arena()->bytesReserved(), 4096u);

    // A large tree takes large chunks, aligned for huge pages, still in proportion to itself.
    std::string many = "[";
    for (int i = 0; i < 400000; ++i)
        many += "\"ab\",";
    many += "\"end\"]";
    Value large;
    auto largeScanner = jsonScanner(many);
    ASSERT_TRUE(largeScanner.scanJSONObject(&large, nullptr));
    ASSERT_EQ(large.count(), 400001u);
    EXPECT_EQ(large[0].text(), "ab");
    EXPECT_EQ(large[400000].text(), "end");
    std::size_t held = 400001 * (sizeof(Node) + 2);
    EXPECT_LT(large.arena()->bytesReserved(), held * 3 / 2);
}

TEST(JSONScanner, ValuesOutliveTheirScanner) {
    Value value;
    {
        auto scanner = jsonScanner(R"({"lens":["blue","red"]})");
        ASSERT_TRUE(scanner.scanJSONObject(&value, nullptr));
    }
    Value lenses = value.objectForKey("lens");
    value = Value();
    EXPECT_EQ(lenses[1].units(), u"red");
}

} // namespace
} // namespace torvane
