#include "app/CommandLine.h"

#include "platform/core/BuildConfiguration.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace torvane::app {

namespace {

// Enough of an argument to recognise it, short enough that a pasted file cannot flood the terminal.
constexpr std::size_t longestQuote = 80;

// The largest screen side we accept, in points: far beyond any display, small enough that the
// pixel sizes derived from it stay sane.
constexpr int largestSide = 8192;
// Below this the tray's buttons would be too small to touch.
constexpr int smallestWidth = 160;
constexpr int smallestHeight = 240;

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
    if (!width || !height || *width < smallestWidth || *height < smallestHeight)
        return std::nullopt;
    return platform::Size{float(*width), float(*height)};
}

} // namespace

std::string usage() {
    return "usage: torvane [--headless] [--fullscreen] [--screen WxH] [--store FILE] [--machine MODEL]\n"
           "               [--script FILE] [--trace FILE] [--leds DIR]\n"
           "       torvane --help | --version";
}

// In the README's words, so that the two say the same; a test holds them together.
std::string helpText() {
    return usage() + R"(

A flashlight: fills the screen with light of your colour and lights the camera LED as a torch.

Options:
  --headless        no window; everything is drawn offscreen with SDL's software renderer on a
                    virtual clock that moves only when the script says so
  --fullscreen      fill the display (phones)
  --screen WxH      the window's size in points, from 160x240 (default 320x568; the window is
                    drawn at twice that in pixels, or less when the desktop is smaller)
  --store FILE      the settings file instead of $XDG_CONFIG_HOME/torvane/settings.json
  --machine MODEL   the device model instead of the hardware's own; every model without
                    "iPhone2" in it then counts as a phone with a camera LED (without
                    --machine, only a device on which a torch LED is found does)
  --leds DIR        the kernel's LED folder instead of /sys/class/leds (also TORVANE_LEDS)
  --script FILE     one command a line, run in order, then the application quits:
                    wait SECONDS, tap X Y, alert INDEX, shot FILE.png, quit
  --trace FILE      one JSON object a line for each platform operation, in order
  --help, -h        print this text
  --version         print the version

A value is the next argument or follows "=" (--screen=320x480); a value that starts with "--"
must follow "=". A bad command line, script or trace file gives one clear message and status 2.

Environment (each overrides the value supplied with the build):
  TORVANE_STORE_HOST, TORVANE_APP_ID, TORVANE_PRO_APP_ID, TORVANE_MAKER_PATH, TORVANE_MAKER_ID
                    the application store's host, the store ids and the maker's page
  TORVANE_INSTALL_HOST  the install report's host (under .invalid by default, so nothing is
                    sent until a packager sets it)
  TORVANE_PROBE_HOST    the web site probed for reachability
  TORVANE_VERSION   the application version
  A host may carry a port.

For tests and packagers:
  TORVANE_RESOURCES    the pictures and sounds
  TORVANE_URL_OPENER   instead of xdg-open
  TORVANE_PROC_NET     the routing tables
  TORVANE_LEDS         the kernel's LED folder
  XDG_CONFIG_HOME      where the settings file lives (default ~/.config))";
}

std::string versionText() {
    return "torvane " + platform::build::appVersion();
}

std::string quotedInput(std::string_view text) {
    std::string quoted;
    std::size_t characters = 0;
    std::size_t at = 0;
    while (at < text.size() && characters < longestQuote) {
        auto byte = static_cast<unsigned char>(text[at]);
        std::size_t length = byte < 0x80 ? 1 : byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 1;
        length = std::min(length, text.size() - at);
        if (byte < 0x20 || byte == 0x7f)
            quoted += '?';
        else
            quoted.append(text.substr(at, length));
        at += length;
        ++characters;
    }
    return "'" + quoted + (at < text.size() ? "...'" : "'");
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
        if (name == "--headless" || name == "--fullscreen" || name == "--help" || name == "-h" ||
            name == "--version") {
            bool& field = name == "--headless"     ? result.options.headless
                          : name == "--fullscreen" ? result.options.fullscreen
                          : name == "--version"    ? result.options.version
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
            return fail("unknown option " + quotedInput(argument));

        std::string_view value;
        if (attached) {
            value = *attached;
        } else if (i + 1 < arguments.size() && !std::string_view(arguments[i + 1]).starts_with("--")) {
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
                return fail("--screen wants WIDTHxHEIGHT in whole points, from " +
                            std::to_string(smallestWidth) + "x" + std::to_string(smallestHeight) + " to " +
                            std::to_string(largestSide) + " a side, as in 360x720, not " +
                            quotedInput(value));
        } else {
            *target = std::string(value);
        }
    }
    return result;
}

} // namespace torvane::app
