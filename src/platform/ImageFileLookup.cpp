#include "platform/ImageFileLookup.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace torvane::platform {

namespace {

std::vector<std::filesystem::path> resourceFolders() {
    std::vector<std::filesystem::path> folders;
    if (const char* env = std::getenv("TORVANE_RESOURCES"); env && *env)
        folders.emplace_back(env);
#ifdef TORVANE_RESOURCE_DIR
    folders.emplace_back(TORVANE_RESOURCE_DIR);
#endif
    return folders;
}

std::string variantName(const std::string& fileName, int variant) {
    if (variant == 1)
        return fileName;
    auto dot = fileName.rfind('.');
    std::string suffix = "@" + std::to_string(variant) + "x";
    if (dot == std::string::npos)
        return fileName + suffix;
    return fileName.substr(0, dot) + suffix + fileName.substr(dot);
}

} // namespace

std::optional<ImageFile> findImageFile(const std::string& fileName, float scale) {
    if (fileName.empty() || fileName.find('/') != std::string::npos)
        return std::nullopt;
    std::vector<int> variants;
    if (scale >= 3)
        variants.push_back(3);
    if (scale >= 2)
        variants.push_back(2);
    variants.push_back(1);
    std::error_code error;
    for (const auto& folder : resourceFolders())
        for (int variant : variants) {
            auto path = folder / variantName(fileName, variant);
            if (std::filesystem::is_regular_file(path, error))
                return ImageFile{path.string(), float(variant)};
        }
    return std::nullopt;
}

} // namespace torvane::platform
