#pragma once

// The command line, a stable interface that tests and users rely on (README):
//
//   torvane [--headless] [--fullscreen] [--screen WxH] [--store FILE] [--machine MODEL]
//           [--script FILE] [--trace FILE] [--leds DIR]
//
// Options that take a value accept it as the next argument or after "=" (--screen=320x480).
// A bad command line is reported with one clear message; the caller exits with status 2.

#include "platform/geometry/Geometry.h"

#include <optional>
#include <span>
#include <string>

namespace torvane::app {

inline constexpr int badUsageStatus = 2;

struct Options {
    bool headless{false};
    bool fullscreen{false};
    bool help{false};
    std::optional<platform::Size> screen; // in points
    std::optional<std::string> storeFile;
    std::optional<std::string> machine;
    std::optional<std::string> scriptFile;
    std::optional<std::string> traceFile;
    std::optional<std::string> ledsFolder;
};

struct CommandLine {
    Options options;
    std::string error; // empty when the command line is good

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// `arguments` excludes the program's name.
[[nodiscard]] CommandLine parseCommandLine(std::span<const char* const> arguments);

[[nodiscard]] std::string usage();

} // namespace torvane::app
