// `torvane-json read`: one line, `value JSON`, `none` or `error DOMAIN CODE MESSAGE`.
//
// The JSON is canonical, so that tests can compare it as text: keys sorted by UTF-16 code
// units, every unit outside 0x20-0x7E (and `"`, `\`) as \u with four lowercase hex digits,
// numbers with %.17g, no spaces.

#include "CanonicalJSON.h"
#include "Commands.h"

#include "json/JSON.h"

#include <cstdio>

namespace torvane::tool {

int readCommand(std::string_view input, ReadAs as) {
    Data data = Data::copy(input);
    Error error;
    Value value;
    switch (as) {
    case ReadAs::Any:
        value = JSONDeserializer::deserialize(data, &error);
        break;
    case ReadAs::Dictionary:
        value = JSONDeserializer::deserializeAsDictionary(data, &error);
        break;
    case ReadAs::Array:
        value = JSONDeserializer::deserializeAsArray(data, &error);
        break;
    }
    if (!error.domain.empty()) {
        std::printf("error %s %ld %s\n", error.domain.c_str(), error.code,
                    error.localizedDescription().c_str());
        return 1;
    }
    std::printf("%s\n", canonical(value).c_str());
    return 0;
}

} // namespace torvane::tool
