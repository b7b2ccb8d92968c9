#pragma once

// The picture of the screen that a start without a display leaves behind. The temporary folder is
// shared with every other user, so the file gets a name no one can know beforehand and is created
// exclusively: a link or a file planted there is never followed or written over. The folder's
// sticky bit then keeps others from swapping the file for something else until the picture is in it.

#include <filesystem>
#include <optional>
#include <string>

namespace torvane::app {

// A new, empty file `torvane-screen-XXXXXX.png` in the temporary folder ($TMPDIR, else /tmp), or
// std::nullopt with the reason in `whyNot`.
[[nodiscard]] std::optional<std::filesystem::path> makeScreenPictureFile(std::string& whyNot);

} // namespace torvane::app
