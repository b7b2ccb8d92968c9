#include "platform/SettingsFile.h"

#include "platform/ConsoleLog.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace torvane::platform {

// MARK: - Text of the store

// STOPGAP: a minimal encoder and parser for a flat object of strings, numbers and booleans, used
// only until the project's JSON writer and reader are on main. Both functions are replaced by
// calls into json/JSON.h; nothing else in the store depends on how they work.
namespace stopgap {

void appendQuoted(std::string& out, std::string_view utf8) {
    out.push_back('"');
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(char(c));
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.push_back(char(c));
        }
    }
    out.push_back('"');
}

class Parser {
  public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<SettingsMap> object() {
        SettingsMap values;
        skipSpace();
        if (!take('{'))
            return std::nullopt;
        skipSpace();
        if (take('}'))
            return end(std::move(values));
        for (;;) {
            skipSpace();
            auto key = string();
            skipSpace();
            if (!key || !take(':'))
                return std::nullopt;
            skipSpace();
            Value value = scalar();
            if (!value)
                return std::nullopt;
            values.insert_or_assign(*key, value);
            skipSpace();
            if (take('}'))
                return end(std::move(values));
            if (!take(','))
                return std::nullopt;
        }
    }

  private:
    std::optional<SettingsMap> end(SettingsMap values) {
        skipSpace();
        if (m_at != m_text.size())
            return std::nullopt;
        return values;
    }
    void skipSpace() {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r' || m_text[m_at] == '\n'))
            ++m_at;
    }
    bool take(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool takeWord(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }
    std::optional<std::string> string() {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            char c = m_text[m_at++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            char e = m_text[m_at++];
            switch (e) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'u': {
                unsigned code = 0;
                auto digits = m_text.substr(m_at, 4);
                auto result = std::from_chars(digits.data(), digits.data() + digits.size(), code, 16);
                if (digits.size() != 4 || result.ptr != digits.data() + 4 || code >= 0x80)
                    return std::nullopt;
                m_at += 4;
                out.push_back(char(code));
                break;
            }
            default:
                out.push_back(e);
            }
        }
        return std::nullopt;
    }
    Value scalar() {
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            auto text = string();
            return text ? Value::stringFromUTF8(*text) : Value();
        }
        if (takeWord("true"))
            return Value::boolean(true);
        if (takeWord("false"))
            return Value::boolean(false);
        if (takeWord("null"))
            return Value::null();
        const char* first = m_text.data() + m_at;
        const char* last = m_text.data() + m_text.size();
        std::int64_t integer = 0;
        auto asInteger = std::from_chars(first, last, integer);
        double number = 0;
        auto asDouble = std::from_chars(first, last, number);
        if (asDouble.ec != std::errc())
            return {};
        if (asInteger.ec == std::errc() && asInteger.ptr == asDouble.ptr) {
            m_at = std::size_t(asInteger.ptr - m_text.data());
            return Value::integer(integer);
        }
        m_at = std::size_t(asDouble.ptr - m_text.data());
        return Value::number(number);
    }

    std::string_view m_text;
    std::size_t m_at{0};
};

} // namespace stopgap

std::optional<std::string> serializeSettings(const SettingsMap& values) {
    std::string out = "{";
    for (const auto& [key, value] : values) {
        if (out.size() > 1)
            out.push_back(',');
        stopgap::appendQuoted(out, key);
        out.push_back(':');
        if (value.isString()) {
            stopgap::appendQuoted(out, value.utf8());
        } else if (value.isBoolean()) {
            out += value.boolValue() ? "true" : "false";
        } else if (value.isNumber() && value.numberType() == NumberType::Integer) {
            out += std::to_string(value.integerValue());
        } else if (value.isNumber() && std::isfinite(value.doubleValue())) {
            char buffer[32];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, value.doubleValue());
            out.append(buffer, result.ptr);
        } else if (value.isNull()) {
            out += "null";
        } else {
            return std::nullopt;
        }
    }
    out.push_back('}');
    return out;
}

std::optional<SettingsMap> parseSettings(std::string_view text) {
    return stopgap::Parser(text).object();
}

// MARK: - The file

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] int get() const { return m_fd; }
    // Closes now, reporting the result (a late write error can surface here).
    bool close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

std::string errorText() {
    return std::strerror(errno);
}

// Reads the whole file; an error text instead when it cannot be read as a regular file.
bool readWholeFile(int fd, std::string& contents, std::string& problem) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        problem = errorText();
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = "not a regular file";
        return false;
    }
    char buffer[16384];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            problem = errorText();
            return false;
        }
        if (got == 0)
            return true;
        contents.append(buffer, std::size_t(got));
    }
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t wrote = ::write(fd, text.data(), text.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        text.remove_prefix(std::size_t(wrote));
    }
    return true;
}

// Moves a bad file aside; false when it stays where it is.
bool quarantine(const std::filesystem::path& path, const std::string& problem) {
    auto aside = corruptFilePath(path, std::time(nullptr));
    // Two bad files within one second: number the later ones rather than replace the earlier.
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(aside)) && n < 100; ++n)
        aside = corruptFilePath(path, std::time(nullptr)).string() + "-" + std::to_string(n);
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        consoleLog("settings: " + path.string() + " cannot be used (" + problem + ") nor moved aside (" +
                   errorText() + "); starting empty, and it will not be overwritten");
        return false;
    }
    consoleLog("settings: " + path.string() + " cannot be used (" + problem + "); moved to " +
               aside.string() + ", starting with empty settings");
    return true;
}

} // namespace

std::filesystem::path corruptFilePath(const std::filesystem::path& path, std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return path.string() + ".corrupt-" + stamp;
}

LoadedSettings loadSettingsFile(const std::filesystem::path& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0 && errno == ENOENT)
        return {};
    std::string contents;
    std::string problem;
    if (file.get() < 0)
        problem = errorText();
    else if (readWholeFile(file.get(), contents, problem)) {
        if (auto values = parseSettings(contents))
            return {std::move(*values), true};
        problem = "not a JSON object";
    }
    return {{}, quarantine(path, problem)};
}

bool writeSettingsFile(const std::filesystem::path& path, std::string_view text) {
    auto folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    FileDescriptor file(::mkostemp(name.data(), O_CLOEXEC));
    if (file.get() < 0) {
        consoleLog("settings: cannot create a file in " + folder.string() + ": " + errorText());
        return false;
    }
    bool written = ::fchmod(file.get(), 0600) == 0 && writeAll(file.get(), text) && ::fsync(file.get()) == 0;
    written = file.close() && written;
    if (!written || ::rename(name.data(), path.c_str()) != 0) {
        consoleLog("settings: cannot write " + path.string() + ": " + errorText());
        ::unlink(name.data());
        return false;
    }
    // The rename is durable only once the folder's entry is on the disk.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        ::fsync(directory.get());
    return true;
}

} // namespace torvane::platform
