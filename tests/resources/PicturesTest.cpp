#include "Picture.h"

#include "platform/view/PictureFile.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace torvane::tests;

namespace {

struct PictureSize {
    std::string name;
    int width;  // points
    int height; // points
};

// Every picture the screen names, at the size in points of the frame it is drawn into (the
// lenses are stretched to the screen's height, so they are drawn for the tallest screen).
const std::vector<PictureSize> pictures = {
    {"base", 214, 321},          {"control_tray_free", 320, 190},
    {"sound_off", 30, 28},       {"tray_up_button", 26, 26},
    {"white_screen", 320, 568},  {"green_screen", 320, 568},
    {"blue_screen", 320, 568},   {"red_screen", 320, 568},
    {"yellow_screen", 320, 568}, {"bulb_1", 320, 568},
    {"bulb_4", 320, 568},        {"bulb_5", 320, 568},
};

const std::vector<std::string> lenses = {"white_screen",  "green_screen", "blue_screen", "red_screen",
                                         "yellow_screen", "bulb_1",       "bulb_4",      "bulb_5"};

std::string variantName(const std::string& name, int scale) {
    return scale == 1 ? name + ".png" : name + "@" + std::to_string(scale) + "x.png";
}

} // namespace

TEST(Pictures, EveryPictureIsBuiltAtOneTwoAndThreeTimesItsSizeInPoints) {
    for (const auto& picture : pictures) {
        for (int scale = 1; scale <= 3; ++scale) {
            auto fileName = variantName(picture.name, scale);
            Picture loaded(builtResource(fileName));
            ASSERT_TRUE(loaded.loaded()) << fileName << ": " << IMG_GetError();
            EXPECT_EQ(loaded.width(), picture.width * scale) << fileName;
            EXPECT_EQ(loaded.height(), picture.height * scale) << fileName;
        }
    }
}

// Lenses fill the screen and the tray covers its frame: they are drawn without blending, which
// SDL does by itself for pictures without an alpha channel. A see-through pixel would show
// whatever was drawn before.
TEST(Pictures, LensesAndTheTrayCarryNoAlphaChannel) {
    auto opaque = lenses;
    opaque.push_back("control_tray_free");
    for (const auto& name : opaque) {
        for (int scale = 1; scale <= 3; ++scale) {
            auto fileName = variantName(name, scale);
            Picture loaded(builtResource(fileName));
            ASSERT_TRUE(loaded.loaded()) << fileName;
            EXPECT_FALSE(loaded.hasAlphaChannel()) << fileName;
        }
    }
}

// A lens is a light: even the bulbs' dark surroundings stay lit where the light is.
TEST(Pictures, LensesAreBrightInTheMiddle) {
    for (const auto& lens : lenses) {
        Picture loaded(builtResource(lens + ".png"));
        ASSERT_TRUE(loaded.loaded()) << lens;
        Pixel middle = loaded.at(160, 250, 1);
        EXPECT_GT(std::max({middle.r, middle.g, middle.b}), 200) << lens;
    }
}

TEST(Pictures, TheBodyAndTheIndicatorsStandOnATransparentBackground) {
    for (int scale = 1; scale <= 3; ++scale) {
        Picture body(builtResource(variantName("base", scale)));
        ASSERT_TRUE(body.loaded());
        for (auto [x, y] : {std::pair{0.0, 0.0}, {213.5, 0.0}, {0.0, 320.5}, {213.5, 320.5}})
            EXPECT_EQ(body.at(x, y, scale).a, 0) << scale << "x corner " << x << "," << y;
        EXPECT_EQ(body.at(107, 107, scale).a, 255) << "the head's middle";
        EXPECT_EQ(body.at(107, 250, scale).a, 255) << "the barrel";

        // The sound-off face fills the top 26 of its 28 rows, the size of the well it covers.
        Picture soundOff(builtResource(variantName("sound_off", scale)));
        ASSERT_TRUE(soundOff.loaded());
        EXPECT_EQ(soundOff.at(15, 13, scale).a, 255);
        EXPECT_EQ(soundOff.at(15, 27, scale).a, 0);

        Picture trayUp(builtResource(variantName("tray_up_button", scale)));
        ASSERT_TRUE(trayUp.loaded());
        EXPECT_EQ(trayUp.at(13, 13, scale).a, 255);
        EXPECT_EQ(trayUp.at(0, 0, scale).a, 0) << "rounded corner";
    }
}

// The application reads its pictures packed, or as PNG with libpng; SDL2_image, which the tests
// still have, is the reference for what each pixel must be (byte order, row stride, straight
// alpha).
TEST(Pictures, ReadByTheApplicationAsSdlImageReadsThem) {
    using namespace torvane::platform;
    for (const auto& picture : pictures) {
        for (int scale = 1; scale <= 3; ++scale) {
            auto png = builtResource(variantName(picture.name, scale));
            SurfacePointer reference(IMG_Load(png.c_str()));
            ASSERT_TRUE(reference) << IMG_GetError();
            for (const auto& path : {png, png.substr(0, png.size() - 4) + ".pixels"}) {
                std::string whyNot;
                auto header = readPictureHeader(path, whyNot);
                ASSERT_TRUE(header) << path << ": " << whyNot;
                SurfacePointer ours = readPicture(path, *header, whyNot);
                ASSERT_TRUE(ours) << path << ": " << whyNot;
                // Taken as opaque without a look at its pixels only when the file cannot say otherwise.
                EXPECT_EQ(header->opaque, reference->format->Amask == 0 && !SDL_HasColorKey(reference.get()))
                    << path;
                SurfacePointer theirs(SDL_ConvertSurfaceFormat(reference.get(), ours->format->format, 0));
                ASSERT_EQ(ours->w, theirs->w);
                ASSERT_EQ(ours->h, theirs->h);
                for (int y = 0; y < ours->h; ++y) {
                    auto row = [y](const SDL_Surface& s) {
                        return static_cast<const char*>(s.pixels) + y * s.pitch;
                    };
                    ASSERT_EQ(std::memcmp(row(*ours), row(*theirs), std::size_t(ours->w) * 4), 0)
                        << path << " row " << y;
                }
            }
        }
    }
    std::string whyNot;
    EXPECT_FALSE(readPictureHeader(builtResource("tray_up.mp3"), whyNot));
    EXPECT_FALSE(whyNot.empty());
}

// A packed picture cut short, or one whose pixels do not unpack to the size its header gives, is
// refused with a reason; so is one unpacked into rows too short for it.
TEST(Pictures, DamagedPackedPicturesAreRefused) {
    using namespace torvane::platform;
    TestContext t;
    std::string whole = t.folder.read(builtResource("sound_off.pixels"));
    ASSERT_GT(whole.size(), 40u);
    auto refused = [&](const std::string& bytes) {
        auto path = t.folder.write("damaged.pixels", bytes).string();
        std::string whyNot;
        auto header = readPictureHeader(path, whyNot);
        bool read = header && readPicture(path, *header, whyNot);
        return !read && !whyNot.empty();
    };
    EXPECT_TRUE(refused(whole.substr(0, whole.size() - 1)));
    EXPECT_TRUE(refused(whole + "x"));
    EXPECT_TRUE(refused(whole.substr(0, 20) + std::string(whole.size() - 20, '\xff')));
    std::string wider = whole;
    wider[8] = char(wider[8] + 1); // a pixel more in each row than the block holds
    EXPECT_TRUE(refused(wider));

    std::string whyNot;
    auto path = t.folder.write("whole.pixels", whole).string();
    auto header = readPictureHeader(path, whyNot);
    ASSERT_TRUE(header) << whyNot;
    std::vector<char> pixels(std::size_t(header->width) * header->height * 4);
    EXPECT_FALSE(readPictureInto(path, *header, pixels.data(), header->width * 4 - 4, whyNot));
    // Rows with room to spare are filled row by row.
    std::vector<char> padded(std::size_t(header->width + 3) * header->height * 4);
    EXPECT_TRUE(readPictureInto(path, *header, padded.data(), (header->width + 3) * 4, whyNot)) << whyNot;
}
