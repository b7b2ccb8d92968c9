#include "Commands.h"

#include <cstdio>

namespace torvane::tool {

int writeCommand(std::string_view) {
    std::fprintf(stderr, "torvane-json: write is not built yet\n");
    return 2;
}

} // namespace torvane::tool
