#pragma once

// The trace and the console log.
//
// The trace: one JSON object a line for each platform operation the application performs, in the
// order performed, as {"t":SECONDS,"op":NAME,...} with `t` on the application's clock. Off until
// a file is opened. The names and fields of the operations are a stable interface (README).
//
// The console log (the platform's NSLog): `log` writes one line on stderr,
// `YYYY-MM-DD HH:MM:SS.mmm torvane[PID:TID] text`, and traces it as a `log` operation. Platform
// components prefix their own lines ("led: ...", "sound: ...").
//
// Both are safe to call from any thread.

#include "platform/core/Clock.h"

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <mutex>
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

class Trace {
  public:
    explicit Trace(const Clock& clock) : m_clock(clock) {}

    // Starts writing the trace to `path` (truncated); false, with a console line, when it cannot.
    bool open(const std::string& path);
    // Ends the trace. False when any line could not be written, so that the caller can say that
    // the trace is incomplete.
    bool close();
    [[nodiscard]] bool isOpen() const;

    void record(std::string_view op, std::initializer_list<TraceField> fields = {});
    void log(std::string_view line);

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    const Clock& m_clock;
    mutable std::mutex m_mutex;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    bool m_writeFailed{false};
    std::mutex m_consoleMutex;
};

} // namespace torvane::platform
