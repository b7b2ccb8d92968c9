#include "ScannerTestSupport.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

using test::bytes;

TEST(JSONDeserializer, NoDataIsAnErrorOfItsOwnDomain) {
    for (const Data& data : {Data(), bytes("")}) {
        Error error;
        EXPECT_TRUE(JSONDeserializer::deserialize(data, &error).isNone());
        EXPECT_EQ(error.domain, "JSONDeserializerErrorDomain");
        EXPECT_EQ(error.code, -1);
        EXPECT_TRUE(error.userInfo.empty());
        EXPECT_TRUE(JSONDeserializer::deserializeAsArray(data, nullptr).isNone());
    }
}

TEST(JSONDeserializer, IgnoresWhatFollowsTheValue) {
    Error error;
    Value value = JSONDeserializer::deserialize(bytes("[1] x"), &error);
    ASSERT_TRUE(value.isArray());
    EXPECT_EQ(value[0].doubleValue(), 1);
    EXPECT_TRUE(error.domain.empty());
}

TEST(JSONDeserializer, TheShapedCallsSkipNoWhitespace) {
    EXPECT_TRUE(JSONDeserializer::deserialize(bytes(" {}"), nullptr).isDictionary());
    Error error;
    EXPECT_TRUE(JSONDeserializer::deserializeAsDictionary(bytes(" {}"), &error).isNone());
    EXPECT_EQ(error.code, JSONScanner::dictionaryNotStarted);
    EXPECT_TRUE(JSONDeserializer::deserializeAsDictionary(bytes("[1]"), &error).isNone());
    EXPECT_EQ(error.code, JSONScanner::dictionaryNotStarted);
    EXPECT_EQ(error.domain, "JSONScannerErrorDomain");
    EXPECT_TRUE(JSONDeserializer::deserializeAsArray(bytes("{}"), &error).isNone());
    EXPECT_EQ(error.code, JSONScanner::arrayNotStarted);
    EXPECT_TRUE(JSONDeserializer::deserializeAsArray(bytes("[1]"), nullptr).isArray());
    EXPECT_TRUE(JSONDeserializer::deserializeAsDictionary(bytes("{\"a\":1}"), nullptr).isDictionary());
}

TEST(JSONDeserializer, TextThatBeginsNoValueGivesNoneWithoutError) {
    Error error;
    EXPECT_TRUE(JSONDeserializer::deserializer().deserialize(bytes("x"), &error).isNone());
    EXPECT_TRUE(error.domain.empty());
}

TEST(JSONDeserializer, ReportsTheOutermostFailure) {
    Error error;
    EXPECT_TRUE(JSONDeserializer::deserialize(bytes(R"({"a":"\q"})"), &error).isNone());
    EXPECT_EQ(error.code, JSONScanner::dictionaryValueFailed);
    EXPECT_TRUE(JSONDeserializer::deserialize(bytes(R"("\q")"), &error).isNone());
    EXPECT_EQ(error.code, JSONScanner::stringBadEscape);
}

TEST(NSDictionaryJSONReading, ReturnsWhateverKindTheTextHolds) {
    Value value = NSDictionary_JSONReading::dictionaryWithJSONData(bytes("[1]"), nullptr);
    EXPECT_TRUE(value.isArray());
    Error error;
    EXPECT_TRUE(NSDictionary_JSONReading::dictionaryWithJSONData(Data(), &error).isNone());
    EXPECT_EQ(error.domain, JSONDeserializer::errorDomain);
}

} // namespace
} // namespace torvane
