#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

namespace torvane::app {

namespace {

// The largest screen side we accept, in points: far beyond any display, small enough that the
// pixel sizes derived from it stay sane.
constexpr int largestSide = 8192;

std::optional<platform::Size> parseScreenSize(std::string_view text) {
    auto separator = text.find('x');
    if (separator == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size())
            return std::nullopt;
        if (value <= 0 || value > largestSide)
            return std::nullopt;
        return value;
    };
    auto width = number(text.substr(0, separator));
    auto height = number(text.substr(separator + 1));
    if (!width || !height)
        return std::nullopt;
    return platform::Size{float(*width), float(*height)};
}

} // namespace

std::string usage() {
    return "usage: torvane [--headless] [--fullscreen] [--screen WxH] [--store FILE] [--machine MODEL]\n"
           "               [--script FILE] [--trace FILE] [--leds DIR]";
}

CommandLine parseCommandLine(std::span<const char* const> arguments) {
    CommandLine result;
    auto fail = [&result](std::string message) {
        result.error = "torvane: " + std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::string_view name = argument;
        std::optional<std::string_view> attached;
        if (auto equals = argument.find('=');
            argument.starts_with("--") && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            attached = argument.substr(equals + 1);
        }

        auto flag = [&](bool& field) {
            if (attached)
                return false;
            field = true;
            return true;
        };
        if (name == "--headless" || name == "--fullscreen" || name == "--help" || name == "-h") {
            bool& field = name == "--headless"     ? result.options.headless
                          : name == "--fullscreen" ? result.options.fullscreen
                                                   : result.options.help;
            if (!flag(field))
                return fail(std::string(name) + " takes no value");
            continue;
        }

        std::optional<std::string>* target = nullptr;
        if (name == "--store")
            target = &result.options.storeFile;
        else if (name == "--machine")
            target = &result.options.machine;
        else if (name == "--script")
            target = &result.options.scriptFile;
        else if (name == "--trace")
            target = &result.options.traceFile;
        else if (name == "--leds")
            target = &result.options.ledsFolder;
        else if (name != "--screen")
            return fail("unknown option '" + std::string(argument) + "'");

        std::string_view value;
        if (attached) {
            value = *attached;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return fail(std::string(name) + " needs a value");
        }
        // A model string may be empty (it then names no LED-class device); paths may not.
        if (value.empty() && name != "--machine")
            return fail(std::string(name) + " needs a value");

        if (name == "--screen") {
            result.options.screen = parseScreenSize(value);
            if (!result.options.screen)
                return fail("--screen wants WIDTHxHEIGHT in whole points from 1 to " +
                            std::to_string(largestSide) + ", as in 320x568, not '" + std::string(value) +
                            "'");
        } else {
            *target = std::string(value);
        }
    }
    return result;
}

} // namespace torvane::app
