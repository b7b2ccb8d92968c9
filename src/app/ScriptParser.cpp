#include "app/ScriptParser.h"

#include "platform/core/SmallFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace torvane::app {

namespace {

std::optional<double> finiteNumber(std::string_view text) {
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> buttonIndex(std::string_view text) {
    int value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// The command of one line's words (at least one); an error text instead when they are not one.
std::string parseLine(const std::vector<std::string_view>& words, platform::ScriptCommand& command) {
    using Kind = platform::ScriptCommand::Kind;
    std::string_view verb = words[0];
    auto arguments = words.size() - 1;

    if (verb == "wait") {
        if (arguments != 1)
            return "wait takes one number of seconds";
        auto seconds = finiteNumber(words[1]);
        if (!seconds || *seconds < 0)
            return "wait takes a number of seconds from 0 up, not '" + std::string(words[1]) + "'";
        command.kind = Kind::Wait;
        command.seconds = *seconds;
    } else if (verb == "tap") {
        if (arguments != 2)
            return "tap takes two numbers, X and Y in points";
        auto x = finiteNumber(words[1]);
        auto y = finiteNumber(words[2]);
        if (!x || !y)
            return "tap takes two numbers, X and Y in points";
        command.kind = Kind::Tap;
        command.point = {float(*x), float(*y)};
    } else if (verb == "alert") {
        auto button = arguments == 1 ? buttonIndex(words[1]) : std::optional<int>();
        if (!button)
            return "alert takes one button index (0, 1, ...)";
        command.kind = Kind::Alert;
        command.index = *button;
    } else if (verb == "shot") {
        if (arguments != 1 || words[1].size() <= 4 || !words[1].ends_with(".png"))
            return "shot takes one file name ending in .png";
        command.kind = Kind::Shot;
        command.file = std::string(words[1]);
    } else if (verb == "quit") {
        if (arguments != 0)
            return "quit takes nothing";
        command.kind = Kind::Quit;
    } else {
        return "unknown command '" + std::string(verb) + "' (wait, tap, alert, shot, quit)";
    }
    return {};
}

} // namespace

ParsedScript parseScript(std::string_view text, std::string_view name) {
    ParsedScript parsed;
    int lineNumber = 0;
    for (std::string_view line : platform::linesOf(text)) {
        ++lineNumber;
        auto words = platform::wordsOf(line);
        if (words.empty() || words[0].starts_with('#'))
            continue;
        platform::ScriptCommand command;
        command.line = lineNumber;
        if (auto problem = parseLine(words, command); !problem.empty()) {
            parsed.script.clear();
            parsed.error = std::string(name) + ":" + std::to_string(lineNumber) + ": " + problem;
            return parsed;
        }
        parsed.script.push_back(std::move(command));
    }
    return parsed;
}

// A script is a few lines typed by a person; one of megabytes is a mistake, not a script.
constexpr std::size_t scriptLimit = 1 << 20;

ParsedScript parseScriptFile(const std::filesystem::path& path) {
    // A folder is named as such rather than by the system's "Is a directory".
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) {
        ParsedScript failed;
        failed.error = path.string() + ": cannot read the script: it is a folder";
        return failed;
    }
    auto contents = platform::readSmallFile(path, scriptLimit);
    if (!contents) {
        ParsedScript failed;
        failed.error = path.string() + ": cannot read the script: " + std::strerror(errno);
        return failed;
    }
    return parseScript(*contents, path.string());
}

} // namespace torvane::app
