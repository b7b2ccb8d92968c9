// libFuzzer target: arbitrary bytes through the three deserializer calls and both comment
// scanners. The reader must never crash, hang, read outside the data or throw; the comment
// scanners may throw only GenericException.

#include "json/JSON.h"

#include "foundation/GenericException.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace torvane;

bool holdsNonFiniteNumber(const Node& node) {
    switch (node.kind) {
    case Kind::Number:
        return node.numberType == NumberType::Double && !std::isfinite(node.number);
    case Kind::Array:
        for (std::uint32_t i = 0; i < node.size; ++i)
            if (holdsNonFiniteNumber(node.elements[i]))
                return true;
        return false;
    case Kind::Dictionary:
        for (std::uint32_t i = 0; i < node.size; ++i)
            if (holdsNonFiniteNumber(node.members[i].value))
                return true;
        return false;
    default:
        return false;
    }
}

// Writing what the reader read and reading the text back must give an equal value; only numbers
// that overflowed to infinity have no text, and the writer must refuse them with its exception.
void checkRoundTrip(const Value& value) {
    if (!value)
        return;
    Data text;
    try {
        text = JSONDataSerializer::serializer().serializeObject(value);
    } catch (const GenericException& exception) {
        if (exception.reason().rfind("Could not serialize object '", 0) == 0 &&
            holdsNonFiniteNumber(*value.node()))
            return;
        std::abort();
    }
    Error error;
    if (!(JSONDeserializer::deserialize(text, &error) == value))
        std::abort();
}

void scanComments(const Data& data) {
    auto scanner = DataScanner::scannerWithData(data);
    while (!scanner.isAtEnd()) {
        std::uint32_t before = scanner.scanLocation();
        try {
            Value text;
            scanner.scanCStyleComment(&text);
            scanner.scanCPlusPlusStyleComment(&text);
        } catch (const GenericException&) {
            // A malformed comment is reported this way; scanning may go on past it.
        }
        if (scanner.scanLocation() == before)
            scanner.scanCharacter();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Data data = Data::copy({reinterpret_cast<const char*>(bytes), size});
    Error error;
    Value value = JSONDeserializer::deserialize(data, &error);
    if (value && !error.domain.empty())
        std::abort(); // a value and an error at once
    checkRoundTrip(value);
    checkRoundTrip(JSONDeserializer::deserializeAsDictionary(data, nullptr));
    checkRoundTrip(JSONDeserializer::deserializeAsArray(data, &error));
    scanComments(data);
    return 0;
}
