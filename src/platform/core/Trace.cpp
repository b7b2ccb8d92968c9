#include "platform/core/Trace.h"

#include "json/JSONStringEscaping.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace torvane::platform {

namespace {

// The trace is JSON read by tests and people; it escapes what JSON requires and nothing else.
void appendQuoted(std::string& out, std::string_view text) {
    appendQuotedJSONString(out, text, JSONEscaping::minimal);
}

void appendNumber(std::string& out, double number) {
    if (!std::isfinite(number)) {
        out += "null";
        return;
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, result.ptr);
}

} // namespace

bool Trace::open(const std::string& path) {
    // "e": close-on-exec, so the trace never leaks into the URL opener or the torch's watchdog.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "we"));
    if (!file) {
        log("trace: cannot open " + path + ": " + std::strerror(errno));
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_file = std::move(file);
    m_writeFailed = false;
    return true;
}

bool Trace::close() {
    std::lock_guard lock(m_mutex);
    if (!m_file)
        return !m_writeFailed;
    bool closed = std::fclose(m_file.release()) == 0;
    return closed && !m_writeFailed;
}

bool Trace::isOpen() const {
    std::lock_guard lock(m_mutex);
    return m_file != nullptr;
}

void Trace::record(std::string_view op, std::initializer_list<TraceField> fields) {
    std::lock_guard lock(m_mutex);
    if (!m_file)
        return;
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", m_clock.now());
    std::string line = "{\"t\":";
    line += time;
    line += ",\"op\":";
    appendQuoted(line, op);
    for (const auto& field : fields) {
        line.push_back(',');
        appendQuoted(line, field.key);
        line.push_back(':');
        if (auto* text = std::get_if<std::string>(&field.value))
            appendQuoted(line, *text);
        else if (auto* number = std::get_if<double>(&field.value))
            appendNumber(line, *number);
        else if (auto* flag = std::get_if<bool>(&field.value))
            line += *flag ? "true" : "false";
        else
            line += "null";
    }
    line += "}\n";
    // Flushed per line: a test reads the trace of a process it has just killed.
    if (std::fwrite(line.data(), 1, line.size(), m_file.get()) != line.size() ||
        std::fflush(m_file.get()) != 0)
        m_writeFailed = true;
}

void Trace::log(std::string_view line) {
    using namespace std::chrono;
    auto wallClock = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(wallClock);
    auto milliseconds = duration_cast<std::chrono::milliseconds>(wallClock.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    {
        std::lock_guard lock(m_consoleMutex);
        std::fprintf(stderr, "%s.%03d torvane[%d:%ld] %.*s\n", stamp, int(milliseconds), int(getpid()),
                     long(syscall(SYS_gettid)), int(line.size()), line.data());
    }
    record("log", {{"line", line}});
}

} // namespace torvane::platform
