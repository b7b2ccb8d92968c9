#include "platform/storage/ResourceBundle.h"
#include "BuiltResource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

using namespace torvane::platform;
using torvane::tests::builtResource;
namespace fs = std::filesystem;

namespace {

// A scratch resource directory named by $TORVANE_RESOURCES for the length of one test; the
// variable is put back as it was.
class ResourceOverride {
  public:
    ResourceOverride() {
        directory_ =
            fs::temp_directory_path() / ("torvane-resources-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        if (const char* old = std::getenv("TORVANE_RESOURCES"))
            previous_ = old;
        setenv("TORVANE_RESOURCES", directory_.c_str(), 1);
    }
    ~ResourceOverride() {
        if (previous_)
            setenv("TORVANE_RESOURCES", previous_->c_str(), 1);
        else
            unsetenv("TORVANE_RESOURCES");
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    ResourceOverride(const ResourceOverride&) = delete;
    ResourceOverride& operator=(const ResourceOverride&) = delete;

    std::string add(const std::string& fileName) const {
        auto path = directory_ / fileName;
        std::ofstream(path) << "stand-in for " << fileName;
        return path.string();
    }
    std::string directory() const { return directory_.string(); }

  private:
    fs::path directory_;
    std::optional<std::string> previous_;
};

} // namespace

TEST(ResourceBundle, FindsTheBuiltResourcesByNameAndType) {
    unsetenv("TORVANE_RESOURCES");
    auto sound = pathForResource("flip_board_2", "mp3");
    ASSERT_TRUE(sound);
    EXPECT_TRUE(fs::equivalent(*sound, builtResource("flip_board_2.mp3")));
    // Without a type the name is the whole file name.
    auto picture = pathForResource("base.png", "");
    ASSERT_TRUE(picture);
    EXPECT_TRUE(fs::equivalent(*picture, builtResource("base.png")));
}

TEST(ResourceBundle, TheOverrideDirectoryComesFirstAndTheBuildFillsIn) {
    ResourceOverride override;
    auto replaced = override.add("tray_up.mp3");
    EXPECT_EQ(pathForResource("tray_up", "mp3"), replaced);
    auto fallback = pathForResource("shrink_cubes_2", "mp3");
    ASSERT_TRUE(fallback);
    EXPECT_TRUE(fs::equivalent(*fallback, builtResource("shrink_cubes_2.mp3")));
    ASSERT_FALSE(resourceDirectories().empty());
    EXPECT_EQ(resourceDirectories().front(), override.directory());
}

TEST(ResourceBundle, AnEmptyOrMissingOverrideIsIgnored) {
    setenv("TORVANE_RESOURCES", "", 1);
    EXPECT_TRUE(pathForResource("tray_up", "mp3"));
    setenv("TORVANE_RESOURCES", "/nonexistent/torvane-resources", 1);
    EXPECT_TRUE(pathForResource("tray_up", "mp3"));
    for (const auto& directory : resourceDirectories())
        EXPECT_NE(directory, "/nonexistent/torvane-resources");
    unsetenv("TORVANE_RESOURCES");
}

TEST(ResourceBundle, MissingFilesAndNamesOutsideTheBundleFindNothing) {
    EXPECT_EQ(pathForResource("no_such_sound", "mp3"), std::nullopt);
    EXPECT_EQ(pathForResource("flip_board_2", "wav"), std::nullopt);
    EXPECT_EQ(pathForResource("", ""), std::nullopt);
    // The build directory's cache sits right above the resource directory.
    EXPECT_EQ(pathForResource("../CMakeCache", "txt"), std::nullopt);
    EXPECT_EQ(pathForResource("..", ""), std::nullopt);
    // A directory is not a resource.
    ResourceOverride override;
    fs::create_directory(fs::path(override.directory()) / "folder.png");
    EXPECT_EQ(pathForResource("folder", "png"), std::nullopt);
}

TEST(ResourceBundle, ImagePathPicksTheVariantForTheDisplayScale) {
    ResourceOverride override;
    auto one = override.add("lens.png");
    auto two = override.add("lens@2x.png");
    auto three = override.add("lens@3x.png");

    auto expect = [](std::optional<ImageFile> found, const std::string& path, float scale) {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->path, path);
        EXPECT_EQ(found->scale, scale);
    };
    expect(imagePath("lens.png", 1), one, 1);
    expect(imagePath("lens.png", 2), two, 2);
    expect(imagePath("lens.png", 3), three, 3);
    // Between the variants the sharper one wins; beyond them the sharpest there is.
    expect(imagePath("lens.png", 1.25f), two, 2);
    expect(imagePath("lens.png", 2.5f), three, 3);
    expect(imagePath("lens.png", 4), three, 3);
    // A scale that makes no sense is taken as 1.
    expect(imagePath("lens.png", 0), one, 1);
    expect(imagePath("lens.png", -2), one, 1);
    expect(imagePath("lens.png", std::nanf("")), one, 1);
}

TEST(ResourceBundle, ImagePathFallsBackToTheVariantsThatExist) {
    ResourceOverride override;
    auto onlyOne = override.add("flat.png");
    auto onlyThree = override.add("sharp@3x.png");
    auto two = override.add("middle@2x.png");
    auto noExtension = override.add("plain@2x");

    auto found = imagePath("flat.png", 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, onlyOne);
    EXPECT_EQ(found->scale, 1);

    found = imagePath("sharp.png", 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, onlyThree);
    EXPECT_EQ(found->scale, 3);

    // On a 3x display a 2x picture beats none.
    found = imagePath("middle.png", 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, two);
    EXPECT_EQ(found->scale, 2);

    found = imagePath("plain", 2);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, noExtension);

    EXPECT_EQ(imagePath("absent.png", 2), std::nullopt);
    EXPECT_EQ(imagePath("../resources/base.png", 1), std::nullopt);
}

TEST(ResourceBundle, ImagePathFindsEveryBuiltPictureAtEveryScale) {
    unsetenv("TORVANE_RESOURCES");
    for (int scale = 1; scale <= 3; ++scale) {
        auto found = imagePath("control_tray_free.png", float(scale));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->scale, float(scale));
        auto expected =
            scale == 1 ? "control_tray_free.png" : "control_tray_free@" + std::to_string(scale) + "x.png";
        EXPECT_TRUE(fs::equivalent(found->path, builtResource(expected)));
    }
}
