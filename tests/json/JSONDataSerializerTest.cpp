#include "json/JSON.h"

#include "foundation/Arena.h"
#include "foundation/GenericException.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace torvane;

namespace {

std::string written(const Value& value) {
    return std::string(JSONDataSerializer::serializer().serializeObject(value).view());
}

// The reason of the GenericException that writing `value` raises; empty when none is raised.
std::string reasonFor(const Value& value) {
    try {
        (void)JSONDataSerializer::serializer().serializeObject(value);
    } catch (const GenericException& exception) {
        return exception.reason();
    }
    return {};
}

Value text(std::u16string_view units) {
    return Value::string(units);
}

} // namespace

TEST(JSONDataSerializer, ContainersAreCompactWithCommasOnlyBetweenElements) {
    EXPECT_EQ(written(Value::array({})), "[]");
    EXPECT_EQ(written(Value::dictionary({})), "{}");
    EXPECT_EQ(written(Value::array({Value::integer(7)})), "[7]");
    EXPECT_EQ(written(Value::array({Value::integer(1), Value::integer(2), Value::integer(3)})), "[1,2,3]");
    EXPECT_EQ(written(Value::array({Value::array({}), Value::dictionary({}), Value::array({Value::null()})})),
              "[[],{},[null]]");
    EXPECT_EQ(written(Value::dictionary({{text(u"k"), Value::integer(1)}})), R"({"k":1})");
}

TEST(JSONDataSerializer, DictionaryMembersKeepTheDictionarysOwnOrder) {
    Value dictionary = Value::dictionary({{text(u"b"), Value::integer(1)},
                                          {text(u"a"), Value::array({Value::boolean(true), Value::null()})},
                                          {text(u"c"), Value::dictionary({{text(u"x"), text(u"y")}})}});
    EXPECT_EQ(written(dictionary), R"({"b":1,"a":[true,null],"c":{"x":"y"}})");
}

TEST(JSONDataSerializer, OneByteNumbersZeroAndOneAreWords) {
    EXPECT_EQ(written(Value::boolean(true)), "true");
    EXPECT_EQ(written(Value::boolean(false)), "false");
    // The stored type decides, not how the number was made.
    EXPECT_EQ(written(Value::character(1)), "true");
    EXPECT_EQ(written(Value::character(0)), "false");
    EXPECT_EQ(written(Value::character(2)), "2");
    EXPECT_EQ(written(Value::character(-5)), "-5");
    EXPECT_EQ(written(Value::integer(1)), "1");
    EXPECT_EQ(written(Value::integer(0)), "0");
    EXPECT_EQ(written(Value::number(1)), "1");
}

TEST(JSONDataSerializer, IntegersAreWrittenExactly) {
    EXPECT_EQ(written(Value::integer(-42)), "-42");
    EXPECT_EQ(written(Value::integer(std::numeric_limits<std::int64_t>::max())), "9223372036854775807");
    EXPECT_EQ(written(Value::integer(std::numeric_limits<std::int64_t>::min())), "-9223372036854775808");
}

TEST(JSONDataSerializer, IntegralDoublesHaveNoFraction) {
    EXPECT_EQ(written(Value::number(1.0)), "1");
    EXPECT_EQ(written(Value::number(-3.0)), "-3");
    EXPECT_EQ(written(Value::number(1700000000.0)), "1700000000");
    EXPECT_EQ(written(Value::number(9007199254740991.0)), "9007199254740991");
    // The sign of zero survives the trip.
    EXPECT_EQ(written(Value::number(0.0)), "0");
    EXPECT_EQ(written(Value::number(-0.0)), "-0");
    // Beyond 2^53 the shortest text is an exponent form, which reads back to the same double.
    EXPECT_EQ(written(Value::number(1e21)), "1e+21");
}

TEST(JSONDataSerializer, WholeDoublesOfEveryLengthHaveAllTheirDigits) {
    // Each length of the short integers' path, at its edges, alone and as array elements (which
    // take a path of their own), and the first values past it.
    std::vector<double> values{0, 1e9, 1e9 + 1, 4294967295.0, 4294967296.0, 0.5, 999999999.5};
    for (double power = 1; power < 1e9; power *= 10)
        for (double value : {power - 1, power, power + 1, power * 2 + 3, power * 9 + 7})
            values.push_back(value);
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i)
        values.push_back(double(random() % 1000000000u));
    std::string expectedArray = "[0";
    std::vector<Value> elements{Value::number(0)};
    for (double value : values) {
        char buffer[64];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        std::string expected(buffer, end);
        if (value == std::floor(value))
            expected = std::to_string(std::int64_t(value));
        EXPECT_EQ(written(Value::number(value)), expected) << value;
        expectedArray += "," + expected;
        elements.push_back(Value::number(value));
    }
    EXPECT_EQ(written(Value::array(elements)), expectedArray + "]");
}

TEST(JSONDataSerializer, DoublesTakeTheShortestTextThatReadsBackExactly) {
    EXPECT_EQ(written(Value::number(2.5)), "2.5");
    EXPECT_EQ(written(Value::number(0.1)), "0.1");
    // Shortest wins over familiar: five characters of exponent form against seven.
    EXPECT_EQ(written(Value::number(-0.0005)), "-5e-04");
    EXPECT_EQ(written(Value::number(0.001)), "0.001");
    EXPECT_EQ(written(Value::number(1.0 / 3)), "0.3333333333333333");

    std::mt19937_64 random(20261208);
    std::vector<double> samples{std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min(), 9007199254740993.0,
                                123456.789e-300};
    for (int i = 0; i < 2000; ++i) {
        std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            samples.push_back(value);
    }
    for (double value : samples) {
        std::string out = written(Value::number(value));
        double back = 0;
        auto result = std::from_chars(out.data(), out.data() + out.size(), back);
        ASSERT_EQ(result.ptr, out.data() + out.size()) << out;
        EXPECT_EQ(back, value) << out;
        char longest[40];
        int longestLength = std::snprintf(longest, sizeof longest, "%.17g", value);
        EXPECT_LE(out.size(), std::size_t(longestLength)) << out;
    }
}

TEST(JSONDataSerializer, NumbersThatAreNotFiniteRaiseTheObjectException) {
    EXPECT_EQ(reasonFor(Value::number(INFINITY)), "Could not serialize object 'inf'");
    EXPECT_EQ(reasonFor(Value::number(-INFINITY)), "Could not serialize object '-inf'");
    EXPECT_NE(reasonFor(Value::number(NAN)).find("Could not serialize object '"), std::string::npos);
    EXPECT_EQ(reasonFor(Value::array({Value::integer(1), Value::number(INFINITY)})),
              "Could not serialize object 'inf'");
}

TEST(JSONDataSerializer, OtherClassesRaiseTheTypeExceptionNamingTheirClass) {
    Value date = Value::foreign("NSDate", "2026-12-08 01:00:00 +0000");
    EXPECT_EQ(reasonFor(date), "Cannot serialize data of type 'NSDate'");
    EXPECT_EQ(reasonFor(Value::array({Value::null(), date})), "Cannot serialize data of type 'NSDate'");
    EXPECT_EQ(reasonFor(Value::dictionary({{text(u"when"), date}})),
              "Cannot serialize data of type 'NSDate'");
    EXPECT_EQ(reasonFor(Value()), "Cannot serialize data of type 'nil'");
}

TEST(JSONDataSerializer, KeysThatAreNotStringsRaiseTheTypeException) {
    EXPECT_EQ(reasonFor(Value::dictionary({{Value::integer(1), Value::integer(2)}})),
              "Cannot serialize data of type 'NSNumber'");
    EXPECT_EQ(reasonFor(Value::dictionary({{text(u"a"), Value::null()}, {Value::null(), Value::null()}})),
              "Cannot serialize data of type 'NSNull'");
    EXPECT_EQ(reasonFor(Value::dictionary({{Value::data("k"), Value::null()}})),
              "Cannot serialize data of type 'NSData'");
}

TEST(JSONDataSerializer, EachRuleTakesOnlyItsOwnKind) {
    auto serializer = JSONDataSerializer::serializer();
    EXPECT_THROW((void)serializer.serializeNumber(text(u"1")), GenericException);
    EXPECT_THROW((void)serializer.serializeString(Value::integer(1)), GenericException);
    EXPECT_THROW((void)serializer.serializeArray(Value::dictionary({})), GenericException);
    EXPECT_THROW((void)serializer.serializeDictionary(Value::array({})), GenericException);
    EXPECT_EQ(serializer.serializeArray(Value::array({text(u"a")})).view(), R"(["a"])");
    EXPECT_EQ(serializer.serializeDictionary(Value::dictionary({})).view(), "{}");
    EXPECT_EQ(serializer.serializeString(text(u"a")).view(), R"("a")");
    EXPECT_EQ(serializer.serializeNumber(Value::number(2.5)).view(), "2.5");
}

TEST(JSONDataSerializer, TheThreeWordsAreSharedBuffersMadeOnce) {
    auto serializer = JSONDataSerializer::serializer();
    std::vector<Data> nulls(8);
    std::vector<std::thread> threads;
    for (auto& slot : nulls)
        threads.emplace_back([&slot] { slot = JSONDataSerializer::serializer().serializeNull(); });
    for (auto& thread : threads)
        thread.join();
    for (const Data& null : nulls)
        EXPECT_TRUE(null.isSameBuffer(nulls.front()));
    EXPECT_EQ(nulls.front().view(), "null");
    EXPECT_TRUE(serializer.serializeNull(Value::integer(3)).isSameBuffer(nulls.front()));
    EXPECT_TRUE(serializer.serializeObject(Value::null()).isSameBuffer(nulls.front()));

    Data yes = serializer.serializeNumber(Value::boolean(true));
    EXPECT_EQ(yes.view(), "true");
    EXPECT_TRUE(serializer.serializeObject(Value::character(1)).isSameBuffer(yes));
    Data no = serializer.serializeNumber(Value::boolean(false));
    EXPECT_EQ(no.view(), "false");
    EXPECT_TRUE(serializer.serializeObject(Value::boolean(false)).isSameBuffer(no));
}

TEST(JSONDataSerializer, AnExceptionLeavesNoPartialText) {
    std::vector<std::uint8_t> out{'x'};
    auto serializer = JSONDataSerializer::serializer();
    Value bad = Value::array({text(u"long enough to be written before the failure"),
                              Value::dictionary({{text(u"k"), Value::number(NAN)}})});
    EXPECT_THROW(serializer.appendObject(bad, out), GenericException);
    EXPECT_EQ(out, std::vector<std::uint8_t>{'x'});
    serializer.appendObject(Value::array({Value::integer(1)}), out);
    EXPECT_EQ(std::string(out.begin(), out.end()), "x[1]");
}

TEST(JSONDataSerializer, EmptyOutputIsAnEmptyBuffer) {
    // An empty fragment is the one tree whose text has no bytes: the buffer is then never grown
    // by a write, and handing it over must neither copy from nor free what is not there.
    Data data = JSONDataSerializer::serializer().serializeObject(Value::fragment(""));
    EXPECT_TRUE(data);
    EXPECT_EQ(data.length(), 0u);
    EXPECT_EQ(written(Value::array({Value::fragment("")})), "[]");
}

TEST(JSONDataSerializer, DeepNestingDoesNotUseTheCallStack) {
    // Far deeper than any call stack would hold with one frame per level.
    constexpr std::uint32_t depth = 1'000'000;
    auto arena = std::make_shared<Arena>();
    Node* nodes = arena->allocateArray<Node>(depth + 1);
    for (std::uint32_t i = 0; i < depth; ++i)
        nodes[i] = Node::makeArray(&nodes[i + 1], 1);
    nodes[depth] = Node::makeDictionary(nullptr, 0);
    std::string out = written(Value(arena, nodes));
    EXPECT_EQ(out, std::string(depth, '[') + "{}" + std::string(depth, ']'));
}
