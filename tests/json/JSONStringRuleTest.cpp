#include "json/JSON.h"

#include "foundation/GenericException.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace torvane;

namespace {

std::string written(const Value& value) {
    return std::string(JSONDataSerializer::serializer().serializeObject(value).view());
}

std::string writtenString(std::u16string_view units) {
    return written(Value::string(units));
}

} // namespace

TEST(JSONStringRule, BackslashesAreDoubledOnceAndEscapesAreNotEscapedAgain) {
    // Backslash, n (two characters): the backslash doubled, the n untouched.
    EXPECT_EQ(writtenString(u"\\n"), R"("\\n")");
    // A line feed: backslash, n.
    EXPECT_EQ(writtenString(u"\n"), R"("\n")");
    EXPECT_EQ(writtenString(u"a\"b\\"), R"("a\"b\\")");
    EXPECT_EQ(writtenString(u"a/b"), R"("a\/b")");
    EXPECT_EQ(writtenString(u""), R"("")");
}

TEST(JSONStringRule, TheFiveNamedControlCharactersGetTheirShortEscapes) {
    EXPECT_EQ(writtenString(u"\b\f\n\r\t"), R"("\b\f\n\r\t")");
}

TEST(JSONStringRule, EveryOtherControlCharacterIsAUnicodeEscapeInLowercase) {
    // Written raw they would make text that readers must reject.
    EXPECT_EQ(writtenString(u"a\u0001b"), R"("a\u0001b")");
    EXPECT_EQ(writtenString(std::u16string(1, u'\0')), R"("\u0000")");
    EXPECT_EQ(writtenString(u"\u000b\u001b\u001f"), R"("\u000b\u001b\u001f")");
    std::string all;
    for (char16_t unit = 0; unit < 0x20; ++unit) {
        std::string out = writtenString(std::u16string(1, unit));
        for (char c : out)
            EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "unit " << int(unit);
    }
    // Everything from the space up is not escaped beyond the rule's characters.
    EXPECT_EQ(writtenString(u" ~\u007f"), "\" ~\x7f\"");
}

TEST(JSONStringRule, NonASCIIIsWrittenAsUTF8) {
    EXPECT_EQ(writtenString(u"\u00e9"), "\"\xC3\xA9\"");
    EXPECT_EQ(writtenString(u"\u20ac"), "\"\xE2\x82\xAC\"");
    EXPECT_EQ(writtenString(u"\uffff"), "\"\xEF\xBF\xBF\"");
    // A well-formed surrogate pair is the UTF-8 of its one character.
    EXPECT_EQ(writtenString(u"\U0001F600"), "\"\xF0\x9F\x98\x80\"");
    EXPECT_EQ(writtenString(u"\U0010FFFF"), "\"\xF4\x8F\xBF\xBF\"");
}

TEST(JSONStringRule, LoneSurrogatesAreUnicodeEscapesInsteadOfFailures) {
    EXPECT_EQ(writtenString(std::u16string{0xD800}), R"("\ud800")");
    EXPECT_EQ(writtenString(std::u16string{0xDFFF}), R"("\udfff")");
    EXPECT_EQ(writtenString(std::u16string{u'a', 0xDBFF, u'b'}), R"("a\udbffb")");
    // Low before high is two lone units, not a pair.
    EXPECT_EQ(writtenString(std::u16string{0xDC00, 0xD800}), R"("\udc00\ud800")");
    // Two highs and then a low: the first is lone, the second pairs.
    EXPECT_EQ(writtenString(std::u16string{0xD83D, 0xD83D, 0xDE00}), "\"\\ud83d\xF0\x9F\x98\x80\"");
}

TEST(JSONStringRule, AUnitThatNeedsCareIsFoundAtEveryPositionOfAnASCIIRun) {
    // ASCII runs are taken several units at a time; each of these must stop the run wherever it
    // stands. U+0122 and U+2F5C end in the bytes of the quotation mark and the backslash.
    const std::pair<char16_t, std::string> cases[] = {{u'\u0001', "\\u0001"},
                                                      {u'"', "\\\""},
                                                      {u'/', "\\/"},
                                                      {u'\\', "\\\\"},
                                                      {u'\n', "\\n"},
                                                      {u'\u007f', "\x7f"},
                                                      {u'\u0080', "\xC2\x80"},
                                                      {u'\u0122', "\xC4\xA2"},
                                                      {u'\u2f5c', "\xE2\xBD\x9C"},
                                                      {char16_t(0xD800), "\\ud800"}};
    for (const auto& [unit, text] : cases) {
        for (std::size_t position = 0; position < 20; ++position) {
            std::u16string units =
                std::u16string(position, u'a') + unit + std::u16string(19 - position, u'b');
            std::string expected =
                "\"" + std::string(position, 'a') + text + std::string(19 - position, 'b') + "\"";
            EXPECT_EQ(writtenString(units), expected) << "unit " << int(unit) << " at " << position;
        }
    }
}

TEST(JSONStringRule, AStringOfEveryLengthEndsWhereItsTextEnds) {
    // A parsed document keeps its strings next to each other, so the bytes after each text here
    // are those of the next, escapes that must not be taken for its own.
    std::string document = "[";
    for (std::size_t length = 0; length <= 40; ++length)
        document += "\"" + std::string(length, 'a') + "\",\"\\\"\\\\\\n\",";
    document += "1]";
    Value parsed = JSONDeserializer::deserialize(Data::copy(document), nullptr);
    ASSERT_EQ(parsed.count(), 83u);
    EXPECT_EQ(written(parsed), document);
}

TEST(JSONStringRule, LongStringsAreWrittenIntact) {
    // Widths of 6, 4 and 1 bytes per unit, long enough to make the buffer grow several times,
    // with pairs falling on every alignment.
    std::u16string controls(40000, u'\u0001');
    std::string expected;
    for (int i = 0; i < 40000; ++i)
        expected += "\\u0001";
    EXPECT_EQ(writtenString(controls), "\"" + expected + "\"");

    std::u16string mixed;
    std::string mixedExpected;
    for (int i = 0; i < 30000; ++i) {
        mixed += u"\U0001F600x";
        mixedExpected += "\xF0\x9F\x98\x80x";
    }
    EXPECT_EQ(writtenString(mixed), "\"" + mixedExpected + "\"");

    std::u16string tail(16383, u'a');
    tail += std::u16string{0xD800, 0xDC00};
    EXPECT_EQ(writtenString(tail), "\"" + std::string(16383, 'a') + "\xF0\x90\x80\x80\"");
}

TEST(JSONStringRule, TextOfEveryWidthMixedAtEveryAlignmentIsWrittenUnitByUnit) {
    // The writer takes eight units at a time by several paths (ASCII as it stands, text of one to
    // three bytes a unit, units one by one); mixed text must come out as the rule says unit by
    // unit, whatever falls in which block.
    auto expectedFor = [](std::u16string_view units) {
        std::string text = "\"";
        const char* hex = "0123456789abcdef";
        for (std::size_t i = 0; i < units.size(); ++i) {
            char32_t unit = units[i];
            if (unit == '"' || unit == '\\' || unit == '/') {
                text += '\\';
                text += char(unit);
            } else if (unit == '\n') {
                text += "\\n";
            } else if (unit == '\t') {
                text += "\\t";
            } else if (unit < 0x20) {
                text += "\\u00";
                text += hex[unit >> 4];
                text += hex[unit & 0xF];
            } else if (unit < 0x80) {
                text += char(unit);
            } else if (unit < 0x800) {
                text += char(0xC0 | unit >> 6);
                text += char(0x80 | (unit & 0x3F));
            } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                       units[i + 1] < 0xE000) {
                char32_t code = 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00);
                text += char(0xF0 | code >> 18);
                text += char(0x80 | (code >> 12 & 0x3F));
                text += char(0x80 | (code >> 6 & 0x3F));
                text += char(0x80 | (code & 0x3F));
            } else if (unit >= 0xD800 && unit < 0xE000) {
                text += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    text += hex[(unit >> shift) & 0xF];
            } else {
                text += char(0xE0 | unit >> 12);
                text += char(0x80 | (unit >> 6 & 0x3F));
                text += char(0x80 | (unit & 0x3F));
            }
        }
        return text + "\"";
    };
    std::mt19937 random(1208);
    const char16_t samples[] = {u'a',   u' ',   u'~',   0x7F,  0x80,  0xE9, 0x3BB, 0x7FF, 0x800, 0x6771,
                                0xFFFF, 0xD83D, 0xDE00, u'\n', u'\t', 0x01, u'"',  u'/',  u'\\'};
    for (int round = 0; round < 3000; ++round) {
        // Mostly text without escapes, so that whole blocks of it take the wide path.
        bool plain = round % 3 != 0;
        std::size_t choices = plain ? 11 : std::size(samples);
        std::u16string units(random() % 40, u'a');
        for (char16_t& unit : units)
            unit = random() % 4 == 0 ? char16_t(0x20 + random() % 0xFFE0) : samples[random() % choices];
        if (plain)
            for (char16_t& unit : units)
                if (unit < 0x80 && (unit == '"' || unit == '\\' || unit == '/'))
                    unit = u'x';
        EXPECT_EQ(writtenString(units), expectedFor(units)) << "round " << round;
    }
}

TEST(JSONStringRule, KeysFollowTheStringRule) {
    EXPECT_EQ(
        written(Value::dictionary({{Value::string(std::u16string{u'/', 0x0001, 0xD800}), Value::null()}})),
        R"({"\/\u0001\ud800":null})");
}

TEST(JSONStringRule, DataIsItsUTF8TextWrittenAsAString) {
    EXPECT_EQ(written(Value::data("hi")), "\"hi\"");
    EXPECT_EQ(written(Value::data("")), "\"\"");
    EXPECT_EQ(written(Value::data("a\"/\\\n\x01\x7f")), "\"a\\\"\\/\\\\\\n\\u0001\x7f\"");
    EXPECT_EQ(written(Value::data("\xC3\xA9\xF0\x9F\x98\x80")), "\"\xC3\xA9\xF0\x9F\x98\x80\"");
}

TEST(JSONStringRule, DataThatIsNotUTF8RaisesTheObjectException) {
    auto reasonFor = [](const Value& value) {
        try {
            (void)JSONDataSerializer::serializer().serializeObject(value);
        } catch (const GenericException& exception) {
            return exception.reason();
        }
        return std::string();
    };
    EXPECT_EQ(reasonFor(Value::data("\xFF")), "Could not serialize object '<1 bytes>'");
    // An encoded surrogate and a sequence cut short are not UTF-8 either.
    EXPECT_EQ(reasonFor(Value::array({Value::data("\xED\xA0\x80")})),
              "Could not serialize object '<3 bytes>'");
    EXPECT_EQ(reasonFor(Value::data("ab\xC3")), "Could not serialize object '<3 bytes>'");
}
