#pragma once

// Reads a headless script (--script FILE): one command a line, checked as a whole before anything
// runs, so that a typo on the last line does not leave a half-run session behind.
//
//   wait SECONDS    advance the clock (a number >= 0)
//   tap X Y         a touch begins at X, Y points
//   alert INDEX     press button INDEX (0, 1, ...) of the alert on top
//   shot FILE.png   write the current frame as a PNG
//   quit
//
// Blank lines and lines whose first non-blank character is '#' are skipped. An unknown or
// malformed line fails the whole script with a message naming its line number.

#include "platform/view/ScriptCommand.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace torvane::app {

struct ParsedScript {
    platform::Script script;
    std::string error; // empty when the script is good

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// `name` is used in messages: "NAME:LINE: ...".
[[nodiscard]] ParsedScript parseScript(std::string_view text, std::string_view name = "script");
[[nodiscard]] ParsedScript parseScriptFile(const std::filesystem::path& path);

} // namespace torvane::app
