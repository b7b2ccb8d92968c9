#include "Commands.h"

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/GenericException.h"
#include "json/JSON.h"

#include <cstdio>

namespace torvane::tool {

int writeCommand(std::string_view input) {
    Error error;
    Value value = JSONDeserializer::deserialize(Data::copy(input), &error);
    if (!value && !error.domain.empty()) {
        std::fprintf(stderr, "error %s %ld %s\n", error.domain.c_str(), error.code,
                     error.localizedDescription().c_str());
        return 1;
    }
    // Text that begins no value reads as none without an error; the writer then refuses none
    // with its type exception, like any other value it cannot write.
    try {
        Data text = JSONDataSerializer::serializer().serializeObject(value);
        std::fwrite(text.bytes(), 1, text.length(), stdout);
    } catch (const GenericException& exception) {
        std::fprintf(stderr, "exception %s\n", exception.reason().c_str());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
}

} // namespace torvane::tool
