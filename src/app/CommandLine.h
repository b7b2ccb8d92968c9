#pragma once

// The command line, a stable interface that tests and users rely on (README):
//
//   torvane [--headless] [--fullscreen] [--screen WxH] [--store FILE] [--machine MODEL]
//           [--script FILE] [--trace FILE] [--leds DIR]
//   torvane --help | --version
//
// Options that take a value accept it as the next argument or after "=" (--screen=320x480). A
// next argument that starts with "--" is the following option, not a value, so a forgotten value
// is reported as missing; a value that really starts with "--" is given after "=".
// A bad command line is reported with one clear message; the caller exits with status 2.

#include "platform/geometry/Geometry.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace torvane::app {

inline constexpr int badUsageStatus = 2;

struct Options {
    bool headless{false};
    bool fullscreen{false};
    bool help{false};
    bool version{false};
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

// The synopsis, printed under a bad command line's message.
[[nodiscard]] std::string usage();

// What --help prints: the synopsis, every option and every environment variable.
[[nodiscard]] std::string helpText();

// What --version prints, without the newline.
[[nodiscard]] std::string versionText();

// The user's TEXT as a message shows it: at most 80 characters, never cut inside a UTF-8
// sequence, with control characters shown as '?' so that the message stays on one line.
[[nodiscard]] std::string quotedInput(std::string_view text);

} // namespace torvane::app
