#pragma once

// Stand-in for the resource bundle's image lookup, until ResourceBundle (pathForResource,
// imagePath) lands; then findImageFile forwards to it and this file goes. Looks in the folder
// named by TORVANE_RESOURCES, then in the one compiled in as TORVANE_RESOURCE_DIR.

#include <optional>
#include <string>

namespace torvane::platform {

struct ImageFile {
    std::string path;
    float scale{1}; // 2 for a name@2x.png variant, 3 for @3x
};

// The sharpest variant of `fileName` present for a screen of `scale`, or none.
[[nodiscard]] std::optional<ImageFile> findImageFile(const std::string& fileName, float scale);

} // namespace torvane::platform
