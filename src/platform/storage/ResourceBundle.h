#pragma once

// The application's main bundle (the platform's NSBundle): finds the pictures and sounds by file
// name. Directories are searched in this order, and the first that holds the file wins:
//   1. $TORVANE_RESOURCES, when set and not empty (tests, a relocated install);
//   2. for a program built in the build tree, its resource directory, so that it runs without
//      installing; for any other, ../share/torvane beside its executable, so that an installed
//      tree works under any prefix or DESTDIR;
//   3. the data directory of the prefix the build was configured for (share/torvane).
// A missing file is an answer (std::nullopt), never a crash: the caller leaves its view without
// a picture or its player absent, as the platform would.

#include "platform/core/Trace.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::platform {

// The directories searched, in order. Directories that do not exist are left out.
[[nodiscard]] std::vector<std::string> resourceDirectories();

// `pathForResource:ofType:`: the path of NAME.TYPE ("flip_board_2", "mp3"), or of NAME alone when
// TYPE is empty. Logs one line when the file is nowhere to be found.
[[nodiscard]] std::optional<std::string> pathForResource(Trace& trace, std::string_view name,
                                                         std::string_view type);
// The same without the line: for a look ahead, which leaves the telling to the real look-up.
[[nodiscard]] std::optional<std::string> findResource(std::string_view name, std::string_view type);

struct ImageFile {
    std::string path;
    float scale{1}; // pixels per point of the file found: 1, 2 or 3
};

// The best variant of a picture ("base.png") for a display of SCALE pixels per point: the
// smallest of NAME.png, NAME@2x.png, NAME@3x.png that is at least as sharp as the display, else
// the sharpest there is. Each variant is found packed (NAME@2x.pixels) or as the PNG itself, the
// packed file first within a directory. Logs one line when no variant exists at all.
[[nodiscard]] std::optional<ImageFile> imagePath(Trace& trace, std::string_view fileName, float scale);

} // namespace torvane::platform
