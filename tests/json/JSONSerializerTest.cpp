#include "json/JSON.h"

#include "foundation/GenericException.h"
#include "foundation/Unicode.h"

#include <gtest/gtest.h>

using namespace torvane;

TEST(SerializedJSONData, ItsBytesAreInsertedUnchangedAndUntested) {
    SerializedJSONData pair(Data::copy("[1,2]"));
    auto serializer = JSONDataSerializer::serializer();
    EXPECT_EQ(serializer.serializeObject(Value::array({pair.value()})).view(), "[[1,2]]");
    EXPECT_EQ(serializer.serializeObject(pair.value()).view(), "[1,2]");

    SerializedJSONData broken(Data::copy("}{\x01\xFF"));
    EXPECT_EQ(serializer.serializeObject(Value::dictionary({{Value::string(u"k"), broken.value()}})).view(),
              "{\"k\":}{\x01\xFF}");
}

TEST(SerializedJSONData, HandsBackTheVeryBufferItWasMadeWith) {
    Data bytes = Data::copy("true");
    SerializedJSONData fragment(bytes);
    EXPECT_TRUE(fragment.data().isSameBuffer(bytes));
    EXPECT_EQ(fragment.value().className(), "SerializedJSONData");
}

TEST(JSONSerializer, GivesTheDataSerializersTextAsAString) {
    Value tree =
        Value::dictionary({{Value::string(u"a"), Value::array({Value::number(2.5), Value::boolean(true)})},
                           {Value::string(u"b"), Value::string(u"\u00e9\U0001F600")}});
    auto serializer = JSONSerializer::serializer();
    Value text = serializer.serializeObject(tree);
    ASSERT_TRUE(text.isString());
    EXPECT_EQ(text.units(), u16(JSONDataSerializer::serializer().serializeObject(tree).view()));
    EXPECT_EQ(text.units(), u"{\"a\":[2.5,true],\"b\":\"\u00e9\U0001F600\"}");
    EXPECT_EQ(serializer.serializeArray(Value::array({})).units(), u"[]");
    EXPECT_EQ(serializer.serializeDictionary(Value::dictionary({})).units(), u"{}");
}

TEST(JSONSerializer, TextThatIsNotUTF8IsNone) {
    SerializedJSONData notUTF8(Data::copy("\"\xFF\""));
    EXPECT_FALSE(JSONSerializer::serializer().serializeArray(Value::array({notUTF8.value()})));
}

TEST(JSONSerializer, RaisesTheSameExceptions) {
    auto serializer = JSONSerializer::serializer();
    try {
        (void)serializer.serializeObject(Value::foreign("NSDate", "today"));
        FAIL();
    } catch (const GenericException& exception) {
        EXPECT_EQ(exception.reason(), "Cannot serialize data of type 'NSDate'");
    }
    EXPECT_THROW((void)serializer.serializeDictionary(Value::array({})), GenericException);
}
