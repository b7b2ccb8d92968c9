#include "json/JSONStringEscaping.h"

#include <gtest/gtest.h>

#include <string>

using namespace torvane;

namespace {

template <typename Unit>
std::string quoted(std::basic_string_view<Unit> text, JSONEscaping escaping) {
    std::string out = "x";
    appendQuotedJSONString(out, text, escaping);
    return out;
}

} // namespace

TEST(JSONStringEscaping, MinimalEscapesOnlyWhatJSONRequires) {
    EXPECT_EQ(quoted(std::string_view("a\"b\\c/\n\r\t\x01\x1f\x7f caf\xC3\xA9"), JSONEscaping::minimal),
              "x\"a\\\"b\\\\c/\\n\\r\\t\\u0001\\u001f\x7f caf\xC3\xA9\"");
    // UTF-16: pairs become one UTF-8 character, lone surrogates keep their unit as an escape.
    EXPECT_EQ(quoted(std::u16string_view(u"\u00e9\u6771\U0001F600\n"), JSONEscaping::minimal),
              "x\"\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80\\n\"");
    std::u16string lone = {u'a', char16_t(0xD83D), u'b', char16_t(0xDE00)};
    EXPECT_EQ(quoted(std::u16string_view(lone), JSONEscaping::minimal), "x\"a\\ud83db\\ude00\"");
}

TEST(JSONStringEscaping, AsciiOnlyEscapesEveryOtherUnitTheSameWay) {
    EXPECT_EQ(quoted(std::u16string_view(u"a\"\\\n~\u007f\u00e9\U0001F600"), JSONEscaping::asciiOnly),
              "x\"a\\u0022\\u005c\\u000a~\\u007f\\u00e9\\ud83d\\ude00\"");
    EXPECT_EQ(quoted(std::string_view("\xC3\xA9"), JSONEscaping::asciiOnly), "x\"\\u00c3\\u00a9\"");
    EXPECT_EQ(quoted(std::u16string_view(), JSONEscaping::asciiOnly), "x\"\"");
}
