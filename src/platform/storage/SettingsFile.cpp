#include "platform/storage/SettingsFile.h"

#include "platform/core/UniqueFd.h"

#include "foundation/Data.h"
#include "foundation/GenericException.h"
#include "json/JSON.h"

#include <algorithm>
#include <cctype>
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

std::optional<std::string> serializeSettings(Trace& trace, const SettingsMap& values) {
    std::vector<std::pair<Value, Value>> members;
    members.reserve(values.size());
    for (const auto& [key, value] : values) {
        Value name = Value::stringFromUTF8(key);
        if (!name)
            return std::nullopt;
        members.emplace_back(std::move(name), value);
    }
    try {
        Data text = JSONDataSerializer::serializer().serializeObject(Value::dictionary(members));
        return std::string(text.view());
    } catch (const GenericException& exception) {
        trace.log(std::string("settings: ") + exception.what());
        return std::nullopt;
    }
}

std::optional<SettingsMap> parseSettings(std::string_view text) {
    JSONScanner scanner = JSONScanner::scannerWithData(Data::copy(text));
    Value object;
    scanner.skipWhitespace();
    if (!scanner.scanJSONObject(&object, nullptr) || !object.isDictionary())
        return std::nullopt;
    // Anything but white space after the object: not a file this store wrote.
    scanner.skipWhitespace();
    if (!scanner.isAtEnd())
        return std::nullopt;
    SettingsMap values;
    for (std::size_t i = 0; i < object.count(); ++i)
        values.insert_or_assign(object.keyAt(i).utf8(), object.valueAt(i));
    return values;
}

// MARK: - The file

namespace {

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
bool quarantine(Trace& trace, const std::filesystem::path& path, const std::string& problem) {
    auto aside = corruptFilePath(path, std::time(nullptr));
    // Two bad files within one second: number the later ones rather than replace the earlier.
    // The error_code form: a name too long to exist must not throw out of the store's start.
    auto taken = [](const std::filesystem::path& name) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(name, error));
    };
    for (int n = 2; taken(aside) && n < 100; ++n)
        aside = corruptFilePath(path, std::time(nullptr)).string() + "-" + std::to_string(n);
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        trace.log("settings: " + path.string() + " cannot be used (" + problem + ") nor moved aside (" +
                   errorText() + "); starting empty, and it will not be overwritten");
        return false;
    }
    trace.log("settings: " + path.string() + " cannot be used (" + problem + "); moved to " +
               aside.string() + ", starting with empty settings");
    return true;
}

// The temporaries that mkostemp makes for `path`: "." + name + "." + six letters or digits.
bool isTemporaryOf(const std::string& candidate, const std::string& name) {
    std::string prefix = "." + name + ".";
    if (candidate.size() != prefix.size() + 6 || !candidate.starts_with(prefix))
        return false;
    return std::all_of(candidate.begin() + std::ptrdiff_t(prefix.size()), candidate.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// A writer killed between mkostemp and rename leaves its temporary behind. One older than a
// minute has no live writer (a write takes milliseconds), so a concurrent one's is never touched.
void removeStaleTemporaries(const std::filesystem::path& path) {
    auto folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    auto name = path.filename().string();
    std::time_t staleBefore = std::time(nullptr) - 60;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!isTemporaryOf(it->path().filename().string(), name))
            continue;
        struct stat status {};
        if (::lstat(it->path().c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_mtime < staleBefore)
            ::unlink(it->path().c_str());
    }
}

} // namespace

std::filesystem::path corruptFilePath(const std::filesystem::path& path, std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return path.string() + ".corrupt-" + stamp;
}

LoadedSettings loadSettingsFile(Trace& trace, const std::filesystem::path& path) {
    removeStaleTemporaries(path);
    // Without O_NONBLOCK a FIFO at the path would block the start here, before fstat could refuse it.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
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
    return {{}, quarantine(trace, path, problem)};
}

bool writeSettingsFile(Trace& trace, const std::filesystem::path& path, std::string_view text) {
    auto folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    UniqueFd file(::mkostemp(name.data(), O_CLOEXEC));
    if (file.get() < 0) {
        trace.log("settings: cannot create a file in " + folder.string() + ": " + errorText());
        return false;
    }
    bool written = ::fchmod(file.get(), 0600) == 0 && writeAll(file.get(), text) && ::fsync(file.get()) == 0;
    written = file.close() && written;
    if (!written || ::rename(name.data(), path.c_str()) != 0) {
        trace.log("settings: cannot write " + path.string() + ": " + errorText());
        ::unlink(name.data());
        return false;
    }
    // The rename is durable only once the folder's entry is on the disk.
    UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        ::fsync(directory.get());
    return true;
}

} // namespace torvane::platform
