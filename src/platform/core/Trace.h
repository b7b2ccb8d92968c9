#pragma once

// The trace: one JSON object a line for each platform operation the application performs, in
// the order performed, as {"t":SECONDS,"op":NAME,...}. Off unless a file is opened; safe to call
// from any thread. The names and fields of the operations are a stable interface (README).

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace torvane::platform {

struct TraceField {
    using Null = std::monostate;
    TraceField(std::string_view key, std::string_view text) : key(key), value(std::string(text)) {}
    TraceField(std::string_view key, const char* text) : key(key), value(std::string(text)) {}
    TraceField(std::string_view key, const std::string& text) : key(key), value(text) {}
    TraceField(std::string_view key, double number) : key(key), value(number) {}
    TraceField(std::string_view key, int number) : key(key), value(double(number)) {}
    TraceField(std::string_view key, bool flag) : key(key), value(flag) {}
    TraceField(std::string_view key, Null) : key(key), value(Null{}) {}
    // A string or, when there is none, null.
    TraceField(std::string_view key, const std::optional<std::string>& text) : key(key) {
        if (text)
            value = *text;
    }

    std::string_view key;
    std::variant<Null, std::string, double, bool> value;
};

// Starts writing the trace to `path` (truncated); false, with a console line, when it cannot.
bool openTrace(const std::string& path);
void closeTrace();
[[nodiscard]] bool traceIsOpen();

void trace(std::string_view op, std::initializer_list<TraceField> fields = {});

} // namespace torvane::platform
