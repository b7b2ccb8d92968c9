#pragma once

#include <string>

namespace torvane::tests {

// Where the build writes the generated pictures and sounds.
inline std::string builtResource(const std::string& fileName) {
    return std::string(TORVANE_BINARY_DIR) + "/resources/" + fileName;
}

} // namespace torvane::tests
