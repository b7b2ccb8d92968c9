#include "json/JSONSerializer.h"

namespace torvane {

namespace {

Value decoded(const Data& bytes) {
    return Value::stringFromUTF8(bytes.view());
}

} // namespace

Value JSONSerializer::serializeObject(const Value& object) const {
    return decoded(m_serializer.serializeObject(object));
}

Value JSONSerializer::serializeArray(const Value& array) const {
    return decoded(m_serializer.serializeArray(array));
}

Value JSONSerializer::serializeDictionary(const Value& dictionary) const {
    return decoded(m_serializer.serializeDictionary(dictionary));
}

} // namespace torvane
