#pragma once

// The settings store's file: a JSON object of key to value, read with the project's reader and
// written with its writer, replaced atomically so that a reader (or the next start) sees either
// the old file or the new one, never a mixture, even when the writer is killed half-way.
//
// A file that cannot be read or parsed, or whose top level is not an object, is renamed to
// `<name>.corrupt-<UTC time>` (settings.json.corrupt-20261208T014500Z) and reported by one
// console line; the store then starts empty. The bad file is never overwritten: if it cannot be
// moved aside, the store is marked unwritable for the rest of the run.

#include "platform/core/Trace.h"
#include "foundation/Value.h"

#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace torvane::platform {

using SettingsMap = std::map<std::string, Value, std::less<>>;

// JSON text of the whole store; none when a value has no JSON form.
[[nodiscard]] std::optional<std::string> serializeSettings(Trace& trace, const SettingsMap& values);
// The members of a JSON object; none when the text is not one.
[[nodiscard]] std::optional<SettingsMap> parseSettings(std::string_view text);

struct LoadedSettings {
    SettingsMap values;
    bool writable{true};
};

// Missing file: empty and writable. Bad file (anything but a regular file, too: a FIFO, a
// device, a folder): moved aside as described above. Temporaries of this file left by a writer
// killed more than a minute ago are removed first.
[[nodiscard]] LoadedSettings loadSettingsFile(Trace& trace, const std::filesystem::path& path);

// Temporary file in the same folder (created if missing), fsync, rename over `path`, fsync the
// folder; mode 0600. False, with a console line, on any failure; the old file is then untouched.
bool writeSettingsFile(Trace& trace, const std::filesystem::path& path, std::string_view text);

// "settings.json.corrupt-20261208T014500Z" for a file named settings.json at that UTC time.
[[nodiscard]] std::filesystem::path corruptFilePath(const std::filesystem::path& path, std::time_t when);

} // namespace torvane::platform
