#pragma once

// The one-call entry for reading JSON: each call scans one value from `data` with a JSONScanner
// of its own and returns it, or none. Text after the first complete value is not examined.
//
// None data or zero bytes give none and the error of errorDomain, code noData, with no user
// info. Malformed text gives none and the scanner's error. Text that begins no value gives none
// and leaves `error` untouched: tell that case by a none result without an error.
// The error out-parameter may be nullptr.

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Value.h"

namespace torvane {

class JSONDeserializer {
  public:
    static constexpr const char* errorDomain = "JSONDeserializerErrorDomain";
    static constexpr long noData = -1;

    [[nodiscard]] static JSONDeserializer deserializer() { return {}; }

    // Any kind of value; whitespace before it is skipped.
    [[nodiscard]] static Value deserialize(const Data& data, Error* error);
    // The `{` or `[` must be the very first byte.
    [[nodiscard]] static Value deserializeAsDictionary(const Data& data, Error* error);
    [[nodiscard]] static Value deserializeAsArray(const Data& data, Error* error);
};

} // namespace torvane
