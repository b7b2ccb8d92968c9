// libFuzzer target: arbitrary bytes through the three deserializer calls and both comment
// scanners. The reader must never crash, hang, read outside the data or throw; the comment
// scanners may throw only GenericException.

#include "json/JSON.h"

#include "foundation/GenericException.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace torvane;

// Where a write-then-read round trip belongs once the writer exists: writing `value` and reading
// the text back must give an equal value (numbers that overflow to infinity aside).
void checkRoundTrip(const Value& value) {
    (void)value;
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
