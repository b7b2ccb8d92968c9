#pragma once

// The dictionary's JSON-reading convenience: the same call as JSONDeserializer::deserialize.
// The value is of whatever kind the text holds; its kind is not checked.

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Value.h"

namespace torvane {

struct NSDictionary_JSONReading {
    [[nodiscard]] static Value dictionaryWithJSONData(const Data& data, Error* error);
};

} // namespace torvane
