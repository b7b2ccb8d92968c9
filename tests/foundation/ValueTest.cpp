#include "foundation/Value.h"
#include "foundation/Unicode.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace torvane;

TEST(Value, NoneNullAndTheSharedNullInstance) {
    Value none;
    EXPECT_FALSE(none);
    EXPECT_FALSE(none.isNull());
    EXPECT_TRUE(Value::null().isNull());
    EXPECT_TRUE(Value::null().isIdenticalTo(Value::null()));
    EXPECT_NE(none, Value::null());
}

TEST(Value, StringsKeepLoneSurrogatesAndNul) {
    std::u16string units{u'a', 0xD800, 0, u'b'};
    Value text = Value::string(units);
    EXPECT_EQ(text.units(), units);
    EXPECT_EQ(text.units().size(), 4u);
    EXPECT_EQ(text.utf8(), std::string("a\xEF\xBF\xBD\0b", 6));
}

TEST(Value, StringsFromUnitsAndFromUTF8AreOneText) {
    // A pair is one character however it came, so equal units are equal strings and keys.
    Value fromUnits = Value::string(std::u16string{0xD83D, 0xDE00});
    Value fromUTF8 = Value::stringFromUTF8("\xF0\x9F\x98\x80");
    EXPECT_EQ(fromUnits, fromUTF8);
    EXPECT_EQ(fromUnits.text(), "\xF0\x9F\x98\x80");
    Value dictionary = Value::dictionary({{fromUTF8, Value::number(1)}});
    EXPECT_EQ(dictionary.objectForKey(std::u16string_view(u"\U0001F600")).doubleValue(), 1);
    EXPECT_FALSE(dictionary.objectForKey(std::u16string_view(u"\xD83D")));
    // Lone surrogates are kept apart from pairs, and text that is not UTF-8 makes no string.
    EXPECT_NE(Value::string(std::u16string{0xD83D, 0xD83D, 0xDE00}),
              Value::string(std::u16string{0xD83D, 0xDE00}));
    EXPECT_EQ(Value::string(std::u16string{0xDE00, 0xD83D}).units(), (std::u16string{0xDE00, 0xD83D}));
    EXPECT_FALSE(Value::stringFromUTF8("\xED\xA0\x80"));
}

TEST(Value, NumbersTellTheirStoredType) {
    EXPECT_EQ(Value::number(2.5).numberType(), NumberType::Double);
    EXPECT_EQ(Value::integer(-7).integerValue(), -7);
    EXPECT_EQ(Value::boolean(true).numberType(), NumberType::Boolean);
    EXPECT_EQ(Value::character(2).numberType(), NumberType::Character);
    EXPECT_EQ(Value::integer(1), Value::number(1.0));
    EXPECT_NE(Value::boolean(true), Value::integer(1));
    EXPECT_NE(Value::number(std::nan("")), Value::number(std::nan("")));
}

TEST(Value, ContainersOutliveTheValuesTheyWereBuiltFrom) {
    Value array;
    {
        Value inner = Value::string(u"kept");
        array = Value::array({inner, Value::null(), Value::number(3)});
    }
    ASSERT_EQ(array.count(), 3u);
    EXPECT_EQ(array[0].units(), u"kept");
    EXPECT_TRUE(array[1].isNull());
    EXPECT_FALSE(array[3]);
}

TEST(Value, DictionaryLaterKeysReplaceEarlierOnesInPlace) {
    Value dictionary = Value::dictionary({{Value::string(u"a"), Value::number(1)},
                                          {Value::string(u"b"), Value::number(2)},
                                          {Value::string(u"a"), Value::number(3)}});
    ASSERT_EQ(dictionary.count(), 2u);
    EXPECT_EQ(dictionary.keyAt(0).units(), u"a");
    EXPECT_EQ(dictionary.objectForKey(std::string_view("a")).doubleValue(), 3);
    EXPECT_FALSE(dictionary.objectForKey(std::string_view("c")));
    Value reordered =
        Value::dictionary({{Value::string(u"b"), Value::number(2)}, {Value::string(u"a"), Value::number(3)}});
    EXPECT_EQ(dictionary, reordered);
}

TEST(Unicode, RejectsMalformedUTF8) {
    EXPECT_TRUE(isValidUTF8("h\xC3\xA9"));
    EXPECT_FALSE(isValidUTF8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUTF8("\xED\xA0\x80"));     // encoded surrogate
    EXPECT_FALSE(isValidUTF8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUTF8("\xE2\x82"));         // truncated
    EXPECT_EQ(utf16FromUTF8("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    // Each edge of the second byte's range after the lead bytes that narrow it.
    for (auto [bytes, valid] :
         std::initializer_list<std::pair<std::string_view, bool>>{{"\xC1\xBF", false},
                                                                  {"\xC2\x80", true},
                                                                  {"\xDF\xBF", true},
                                                                  {"\xE0\x9F\xBF", false},
                                                                  {"\xE0\xA0\x80", true},
                                                                  {"\xE1\x80\x80", true},
                                                                  {"\xED\x9F\xBF", true},
                                                                  {"\xED\xA0\x80", false},
                                                                  {"\xEE\x80\x80", true},
                                                                  {"\xEF\xBF\xC0", false},
                                                                  {"\xF0\x8F\xBF\xBF", false},
                                                                  {"\xF0\x90\x80\x80", true},
                                                                  {"\xF3\xBF\xBF\xBF", true},
                                                                  {"\xF4\x8F\xBF\xBF", true},
                                                                  {"\xF4\x90\x80\x80", false},
                                                                  {"\xF5\x80\x80\x80", false},
                                                                  {"\x80", false}})
        EXPECT_EQ(isValidUTF8(bytes), valid) << testing::PrintToString(bytes);
}
