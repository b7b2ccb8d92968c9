#include "json/NSDictionary_JSONReading.h"

#include "json/JSONDeserializer.h"

namespace torvane {

Value NSDictionary_JSONReading::dictionaryWithJSONData(const Data& data, Error* error) {
    return JSONDeserializer::deserializer().deserialize(data, error);
}

} // namespace torvane
