#include "Commands.h"

#include <cstdio>

namespace torvane::tool {

int readCommand(std::string_view, ReadAs) {
    std::fprintf(stderr, "torvane-json: read is not built yet\n");
    return 2;
}

} // namespace torvane::tool
