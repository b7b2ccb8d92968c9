#include "platform/storage/ResourceBundle.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace torvane::platform {

namespace {

// Set by the build (src/platform/CMakeLists.txt).
constexpr const char* buildResourceDirectory = TORVANE_BUILD_RESOURCE_DIR;
constexpr const char* installedResourceDirectory = TORVANE_INSTALLED_RESOURCE_DIR;
constexpr const char* overrideVariable = "TORVANE_RESOURCES";

// Resource names are plain file names: a name that could climb out of the bundle finds nothing.
bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The program's own folder, so that an installed program finds its data at ../share/torvane
// wherever the whole tree was put (any prefix, a DESTDIR, an unpacked package).
std::optional<std::filesystem::path> executableFolder() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || executable.empty())
        return std::nullopt;
    return executable.parent_path();
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

// Searches every directory, in order, for the first of `fileNames` it holds, without logging; the
// callers decide what a miss means.
std::optional<std::string> findFile(std::initializer_list<std::string_view> fileNames) {
    for (const auto& directory : resourceDirectories()) {
        for (auto fileName : fileNames) {
            auto path = std::filesystem::path(directory) / fileName;
            if (isPlainFileName(fileName) && isRegularFile(path))
                return path.string();
        }
    }
    return std::nullopt;
}

// The pictures are installed packed (platform/view/PackedPixelsFormat.h): "base@2x.png" is
// looked for as "base@2x.pixels" first.
std::string packedName(std::string_view pngName) {
    constexpr std::string_view png = ".png";
    if (!pngName.ends_with(png))
        return {};
    return std::string(pngName.substr(0, pngName.size() - png.size())) + ".pixels";
}

std::string withScaleSuffix(std::string_view fileName, int scale) {
    auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        dot = fileName.size();
    std::string variant(fileName.substr(0, dot));
    if (scale > 1)
        variant += "@" + std::to_string(scale) + "x";
    variant += fileName.substr(dot);
    return variant;
}

} // namespace

std::vector<std::string> resourceDirectories() {
    std::vector<std::string> directories;
    auto addIfPresent = [&](const std::string& directory) {
        std::error_code error;
        if (!directory.empty() && std::filesystem::is_directory(directory, error))
            directories.push_back(directory);
    };
    const char* override = std::getenv(overrideVariable);
    addIfPresent(override ? override : "");
    // The build tree serves only the programs built in it: an installed copy must not pick up
    // pictures from a build that happens to lie on the same machine.
    auto folder = executableFolder();
    auto buildTree = std::filesystem::path(buildResourceDirectory).parent_path();
    if (!folder || isInside(*folder, buildTree))
        addIfPresent(buildResourceDirectory);
    else
        addIfPresent((*folder / ".." / "share" / "torvane").lexically_normal().string());
    addIfPresent(installedResourceDirectory);
    return directories;
}

namespace {

std::string resourceFileName(std::string_view name, std::string_view type) {
    std::string fileName(name);
    if (!type.empty()) {
        fileName += '.';
        fileName += type;
    }
    return fileName;
}

} // namespace

std::optional<std::string> findResource(std::string_view name, std::string_view type) {
    return findFile({resourceFileName(name, type)});
}

std::optional<std::string> pathForResource(Trace& trace, std::string_view name, std::string_view type) {
    auto path = findResource(name, type);
    if (!path)
        trace.log("resources: no file \"" + resourceFileName(name, type) + "\" in the bundle");
    return path;
}

std::optional<ImageFile> imagePath(Trace& trace, std::string_view fileName, float scale) {
    // The variant that matches the display first, then sharper ones (scaled down, still crisp),
    // then blurrier ones as a last resort.
    int wanted = 1;
    if (std::isfinite(scale) && scale > 1)
        wanted = scale > 2 ? 3 : 2;
    std::array<int, 3> order{};
    switch (wanted) {
    case 1:
        order = {1, 2, 3};
        break;
    case 2:
        order = {2, 3, 1};
        break;
    default:
        order = {3, 2, 1};
        break;
    }
    for (int variant : order) {
        auto name = withScaleSuffix(fileName, variant);
        if (auto path = findFile({packedName(name), name}))
            return ImageFile{*path, float(variant)};
    }
    trace.log("resources: no picture \"" + std::string(fileName) + "\" in the bundle");
    return std::nullopt;
}

} // namespace torvane::platform
