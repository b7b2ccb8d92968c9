#pragma once

// Shorthands shared by the reader's tests.

#include "json/JSON.h"

#include <string_view>

namespace torvane::test {

inline Data bytes(std::string_view text) {
    return Data::copy(text);
}

inline JSONScanner jsonScanner(std::string_view text) {
    return JSONScanner::scannerWithData(Data::copy(text));
}

} // namespace torvane::test
