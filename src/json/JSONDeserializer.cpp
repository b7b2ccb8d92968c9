#include "json/JSONDeserializer.h"

#include "json/JSONScanner.h"

namespace torvane {

namespace {

enum class Shape { Any, Dictionary, Array };

Value read(const Data& data, Error* error, Shape shape) {
    if (data.length() == 0) {
        if (error)
            *error = Error{JSONDeserializer::errorDomain, JSONDeserializer::noData, {}};
        return {};
    }
    JSONScanner scanner = JSONScanner::scannerWithData(data);
    Value value;
    bool scanned = false;
    switch (shape) {
    case Shape::Any:
        scanned = scanner.scanJSONObject(&value, error);
        break;
    case Shape::Dictionary:
        scanned = scanner.scanJSONDictionary(&value, error);
        break;
    case Shape::Array:
        scanned = scanner.scanJSONArray(&value, error);
        break;
    }
    return scanned ? value : Value();
}

} // namespace

Value JSONDeserializer::deserialize(const Data& data, Error* error) {
    return read(data, error, Shape::Any);
}

Value JSONDeserializer::deserializeAsDictionary(const Data& data, Error* error) {
    return read(data, error, Shape::Dictionary);
}

Value JSONDeserializer::deserializeAsArray(const Data& data, Error* error) {
    return read(data, error, Shape::Array);
}

} // namespace torvane
