#include "platform/storage/ResourceBundle.h"
#include "BuiltResource.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
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
        if (const char* old = std::getenv("TORVANE_RESOURCES"))
            previous_ = old;
        setenv("TORVANE_RESOURCES", folder_.path().c_str(), 1);
    }
    ~ResourceOverride() {
        if (previous_)
            setenv("TORVANE_RESOURCES", previous_->c_str(), 1);
        else
            unsetenv("TORVANE_RESOURCES");
    }
    ResourceOverride(const ResourceOverride&) = delete;
    ResourceOverride& operator=(const ResourceOverride&) = delete;

    std::string add(const std::string& fileName) const {
        return folder_.write(fileName, "stand-in for " + fileName).string();
    }
    std::string directory() const { return folder_.path().string(); }

  private:
    TemporaryFolder folder_;
    std::optional<std::string> previous_;
};

} // namespace

TEST(ResourceBundle, FindsTheBuiltResourcesByNameAndType) {
    TestContext t;
    unsetenv("TORVANE_RESOURCES");
    auto sound = pathForResource(t.context.trace, "flip_board_2", "mp3");
    ASSERT_TRUE(sound);
    EXPECT_TRUE(fs::equivalent(*sound, builtResource("flip_board_2.mp3")));
    // Without a type the name is the whole file name.
    auto picture = pathForResource(t.context.trace, "base.png", "");
    ASSERT_TRUE(picture);
    EXPECT_TRUE(fs::equivalent(*picture, builtResource("base.png")));
}

TEST(ResourceBundle, TheOverrideDirectoryComesFirstAndTheBuildFillsIn) {
    TestContext t;
    ResourceOverride override;
    auto replaced = override.add("tray_up.mp3");
    EXPECT_EQ(pathForResource(t.context.trace, "tray_up", "mp3"), replaced);
    auto fallback = pathForResource(t.context.trace, "shrink_cubes_2", "mp3");
    ASSERT_TRUE(fallback);
    EXPECT_TRUE(fs::equivalent(*fallback, builtResource("shrink_cubes_2.mp3")));
    ASSERT_FALSE(resourceDirectories().empty());
    EXPECT_EQ(resourceDirectories().front(), override.directory());
}

TEST(ResourceBundle, AnEmptyOrMissingOverrideIsIgnored) {
    TestContext t;
    setenv("TORVANE_RESOURCES", "", 1);
    EXPECT_TRUE(pathForResource(t.context.trace, "tray_up", "mp3"));
    setenv("TORVANE_RESOURCES", "/nonexistent/torvane-resources", 1);
    EXPECT_TRUE(pathForResource(t.context.trace, "tray_up", "mp3"));
    for (const auto& directory : resourceDirectories())
        EXPECT_NE(directory, "/nonexistent/torvane-resources");
    unsetenv("TORVANE_RESOURCES");
}

TEST(ResourceBundle, MissingFilesAndNamesOutsideTheBundleFindNothing) {
    TestContext t;
    EXPECT_EQ(pathForResource(t.context.trace, "no_such_sound", "mp3"), std::nullopt);
    EXPECT_EQ(pathForResource(t.context.trace, "flip_board_2", "wav"), std::nullopt);
    EXPECT_EQ(pathForResource(t.context.trace, "", ""), std::nullopt);
    // The build directory's cache sits right above the resource directory.
    EXPECT_EQ(pathForResource(t.context.trace, "../CMakeCache", "txt"), std::nullopt);
    EXPECT_EQ(pathForResource(t.context.trace, "..", ""), std::nullopt);
    // A directory is not a resource.
    ResourceOverride override;
    fs::create_directory(fs::path(override.directory()) / "folder.png");
    EXPECT_EQ(pathForResource(t.context.trace, "folder", "png"), std::nullopt);
}

TEST(ResourceBundle, ImagePathPicksTheVariantForTheDisplayScale) {
    TestContext t;
    ResourceOverride override;
    auto one = override.add("lens.png");
    auto two = override.add("lens@2x.png");
    auto three = override.add("lens@3x.png");

    auto expect = [](std::optional<ImageFile> found, const std::string& path, float scale) {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->path, path);
        EXPECT_EQ(found->scale, scale);
    };
    expect(imagePath(t.context.trace, "lens.png", 1), one, 1);
    expect(imagePath(t.context.trace, "lens.png", 2), two, 2);
    expect(imagePath(t.context.trace, "lens.png", 3), three, 3);
    // Between the variants the sharper one wins; beyond them the sharpest there is.
    expect(imagePath(t.context.trace, "lens.png", 1.25f), two, 2);
    expect(imagePath(t.context.trace, "lens.png", 2.5f), three, 3);
    expect(imagePath(t.context.trace, "lens.png", 4), three, 3);
    // A scale that makes no sense is taken as 1.
    expect(imagePath(t.context.trace, "lens.png", 0), one, 1);
    expect(imagePath(t.context.trace, "lens.png", -2), one, 1);
    expect(imagePath(t.context.trace, "lens.png", std::nanf("")), one, 1);
}

// Within a directory the packed picture is taken before the PNG; a directory searched earlier
// wins with either.
TEST(ResourceBundle, ImagePathTakesThePackedPictureBeforeThePngOfTheSameDirectory) {
    TestContext t;
    ResourceOverride override;
    override.add("lens@2x.png");
    auto packed = override.add("lens@2x.pixels");
    EXPECT_EQ(imagePath(t.context.trace, "lens.png", 2)->path, packed);
    // The build's own white_screen@2x.pixels lies in a later directory.
    auto png = override.add("white_screen@2x.png");
    EXPECT_EQ(imagePath(t.context.trace, "white_screen.png", 2)->path, png);
}

TEST(ResourceBundle, ImagePathFallsBackToTheVariantsThatExist) {
    TestContext t;
    ResourceOverride override;
    auto onlyOne = override.add("flat.png");
    auto onlyThree = override.add("sharp@3x.png");
    auto two = override.add("middle@2x.png");
    auto noExtension = override.add("plain@2x");

    auto found = imagePath(t.context.trace, "flat.png", 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, onlyOne);
    EXPECT_EQ(found->scale, 1);

    found = imagePath(t.context.trace, "sharp.png", 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, onlyThree);
    EXPECT_EQ(found->scale, 3);

    // On a 3x display a 2x picture beats none.
    found = imagePath(t.context.trace, "middle.png", 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, two);
    EXPECT_EQ(found->scale, 2);

    found = imagePath(t.context.trace, "plain", 2);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, noExtension);

    EXPECT_EQ(imagePath(t.context.trace, "absent.png", 2), std::nullopt);
    EXPECT_EQ(imagePath(t.context.trace, "../resources/base.png", 1), std::nullopt);
}

TEST(ResourceBundle, ImagePathFindsEveryBuiltPictureAtEveryScale) {
    TestContext t;
    unsetenv("TORVANE_RESOURCES");
    for (int scale = 1; scale <= 3; ++scale) {
        auto found = imagePath(t.context.trace, "control_tray_free.png", float(scale));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->scale, float(scale));
        auto expected = scale == 1 ? "control_tray_free.pixels"
                                   : "control_tray_free@" + std::to_string(scale) + "x.pixels";
        EXPECT_TRUE(fs::equivalent(found->path, builtResource(expected)));
    }
}
