#pragma once

// The per-application settings store (the platform's NSUserDefaults): typed values under string
// keys, kept in memory and written through to one JSON file by `synchronize`.
//
//     SettingsStore defaults(SettingsStore::defaultPath(), trace);
//     defaults.setObject("white", "lens_type");
//     defaults.synchronize();
//
// Reading a key that is absent gives no string, 0.0, 0 or false. Numbers and strings read across
// kinds as the platform's store reads them: a number asked for as a string gives its decimal
// text, a string asked for as a number gives the number its text begins with, and as a boolean
// it is true for "YES"/"true" (any letter case) or a number other than 0. An integer read of a
// number beyond the int64 range saturates at its nearest end (Value::integerValue).
//
// The file keeps numbers as JSON numbers, which the reader reads back as doubles: integers
// survive a restart exactly up to 2^53 in magnitude, and their kind (integer or double) does not.
//
// The file is $XDG_CONFIG_HOME/torvane/settings.json (~/.config/torvane/settings.json when the
// variable is unset), or the path given with --store. A missing file is an empty store; a file
// that cannot be used is moved aside (SettingsFile.h) and the store starts empty. Nothing here
// throws or ends the process over a bad file.
//
// Every operation is safe from any thread: the rating prompt writes from a background thread.

#include "foundation/Value.h"
#include "platform/core/Trace.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace torvane::platform {

class SettingsStore {
  public:
    // $XDG_CONFIG_HOME/torvane/settings.json, or under ~/.config.
    [[nodiscard]] static std::filesystem::path defaultPath();

    // Reads `file` now (moving it aside if it cannot be used).
    SettingsStore(std::filesystem::path file, Trace& trace);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    [[nodiscard]] std::optional<std::string> stringForKey(std::string_view key) const;
    [[nodiscard]] double doubleForKey(std::string_view key) const;
    [[nodiscard]] std::int64_t integerForKey(std::string_view key) const;
    [[nodiscard]] bool boolForKey(std::string_view key) const;
    // The stored value itself; none when the key is absent.
    [[nodiscard]] Value objectForKey(std::string_view key) const;

    // Setters, traced as `settings.set` {key, value}. Argument order as the platform's setters.
    // Text that is not UTF-8, and numbers that are not finite, have no JSON form: refused with a
    // console line, the stored value left as it was.
    void setObject(std::string_view value, std::string_view key);
    void setDouble(double value, std::string_view key);
    void setInteger(std::int64_t value, std::string_view key);
    void setBool(bool value, std::string_view key);
    // Traced as `settings.set` with a null value.
    void removeObject(std::string_view key);

    // Writes the whole store to its file, replacing it atomically; traced as `settings.sync`.
    // False, with a console line, when nothing was written: the file could not be written, a value
    // has no JSON form, or the store is unwritable (a bad file that could not be moved aside).
    bool synchronize();

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

  private:
    void store(std::string_view key, Value value);

    const std::filesystem::path m_path;
    Trace& m_trace;
    // Held across a whole synchronize, so files reach the disk in the order of their snapshots.
    std::mutex m_fileMutex;
    mutable std::mutex m_mutex;
    std::map<std::string, Value, std::less<>> m_values;
    // False when a bad file could not be moved aside: it must not be overwritten.
    bool m_writable{true};
};

} // namespace torvane::platform
