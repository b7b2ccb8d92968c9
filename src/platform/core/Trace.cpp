#include "platform/core/Trace.h"

#include "platform/core/Clock.h"
#include "platform/core/ConsoleLog.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace torvane::platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::mutex traceMutex;
std::unique_ptr<std::FILE, FileCloser> traceFile;

// The trace is JSON read by tests and people; it escapes what JSON requires and nothing else.
void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out.push_back(char(c));
            }
        }
    }
    out.push_back('"');
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

bool openTrace(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        consoleLog("trace: cannot open " + path + ": " + std::strerror(errno));
        return false;
    }
    std::lock_guard lock(traceMutex);
    traceFile = std::move(file);
    return true;
}

void closeTrace() {
    std::lock_guard lock(traceMutex);
    traceFile.reset();
}

bool traceIsOpen() {
    std::lock_guard lock(traceMutex);
    return traceFile != nullptr;
}

void trace(std::string_view op, std::initializer_list<TraceField> fields) {
    std::lock_guard lock(traceMutex);
    if (!traceFile)
        return;
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", now());
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
    std::fwrite(line.data(), 1, line.size(), traceFile.get());
    // Flushed per line: a test reads the trace of a process it has just killed.
    std::fflush(traceFile.get());
}

} // namespace torvane::platform
