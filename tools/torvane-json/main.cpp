// torvane-json: reads JSON text with Torvane's reader and prints the value, or writes it back
// with Torvane's writer. Its output is a stable interface; the README describes it.

#include "Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int badUsage = 2;

int usage(const char* problem) {
    std::fprintf(stderr,
                 "torvane-json: %s\nusage: torvane-json read [--as any|dictionary|array] [FILE]\n"
                 "       torvane-json write [FILE]\n",
                 problem);
    return badUsage;
}

std::optional<std::string> readInput(const char* path) {
    if (!path) {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        return std::move(buffer).str();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "torvane-json: cannot read %s: %s\n", path, std::strerror(errno));
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), {});
}

} // namespace

int main(int argc, char** argv) {
    using torvane::tool::ReadAs;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return usage("no command given");

    std::string command = arguments[0];
    ReadAs as = ReadAs::Any;
    const char* path = nullptr;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (command == "read" && arguments[i] == "--as") {
            if (++i == arguments.size())
                return usage("--as needs any, dictionary or array");
            if (arguments[i] == "any")
                as = ReadAs::Any;
            else if (arguments[i] == "dictionary")
                as = ReadAs::Dictionary;
            else if (arguments[i] == "array")
                as = ReadAs::Array;
            else
                return usage("--as needs any, dictionary or array");
        } else if (!path && (arguments[i] == "-" || arguments[i].rfind("-", 0) != 0)) {
            path = arguments[i] == "-" ? nullptr : argv[i + 1];
        } else {
            return usage(("unexpected argument " + arguments[i]).c_str());
        }
    }
    if (command != "read" && command != "write")
        return usage(("unknown command " + command).c_str());

    auto input = readInput(path);
    if (!input)
        return badUsage;
    return command == "read" ? torvane::tool::readCommand(*input, as) : torvane::tool::writeCommand(*input);
}
