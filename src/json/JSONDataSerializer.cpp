#include "json/JSONDataSerializer.h"

#include "json/JSONWriter.h"

#include <string_view>

namespace torvane {

namespace {

// The three words every tree is full of, made once per process; every use hands out the same
// buffers. Function-local statics are initialised exactly once, even when threads race to them.
struct SharedWords {
    Data null = Data::copy("null");
    Data falseWord = Data::copy("false");
    Data trueWord = Data::copy("true");
};

const SharedWords& sharedWords() {
    static const SharedWords words;
    return words;
}

const Node& requireKind(const Value& value, Kind kind) {
    if (!value || value.kind() != kind)
        raiseTypeException(value.className());
    return *value.node();
}

template <typename Write>
Data written(Write&& write) {
    JSONWriter writer;
    write(writer);
    return writer.takeData();
}

} // namespace

Data JSONDataSerializer::serializeObject(const Value& object) const {
    if (!object)
        raiseTypeException(object.className());
    if (object.isNull())
        return serializeNull();
    if (object.isNumber())
        return serializeNumber(object);
    return written([&](JSONWriter& writer) { writer.writeObject(*object.node()); });
}

Data JSONDataSerializer::serializeNull(const Value&) const {
    return sharedWords().null;
}

Data JSONDataSerializer::serializeNumber(const Value& number) const {
    const Node& node = requireKind(number, Kind::Number);
    if (node.isBooleanOrCharacter() && (node.integer == 0 || node.integer == 1))
        return node.integer == 1 ? sharedWords().trueWord : sharedWords().falseWord;
    return written([&](JSONWriter& writer) { writer.writeNumber(node); });
}

Data JSONDataSerializer::serializeString(const Value& string) const {
    const Node& node = requireKind(string, Kind::String);
    return written([&](JSONWriter& writer) { writer.writeString(node); });
}

Data JSONDataSerializer::serializeArray(const Value& array) const {
    const Node& node = requireKind(array, Kind::Array);
    return written([&](JSONWriter& writer) { writer.writeObject(node); });
}

Data JSONDataSerializer::serializeDictionary(const Value& dictionary) const {
    const Node& node = requireKind(dictionary, Kind::Dictionary);
    return written([&](JSONWriter& writer) { writer.writeObject(node); });
}

void JSONDataSerializer::appendObject(const Value& object, std::vector<std::uint8_t>& out) const {
    if (!object)
        raiseTypeException(object.className());
    JSONWriter writer;
    writer.writeObject(*object.node());
    std::string_view text = writer.text();
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace torvane
