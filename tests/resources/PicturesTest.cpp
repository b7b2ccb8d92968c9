#include "Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Lenses fill the screen and are drawn without blending: a single see-through pixel would show
// whatever was drawn before.
TEST(Pictures, LensesAreOpaqueEverywhereAtEveryScale) {
    for (const auto& lens : lenses) {
        for (int scale = 1; scale <= 3; ++scale) {
            auto fileName = variantName(lens, scale);
            Picture loaded(builtResource(fileName));
            ASSERT_TRUE(loaded.loaded()) << fileName;
            int seeThrough = 0;
            for (int y = 0; y < loaded.height(); ++y)
                for (int x = 0; x < loaded.width(); ++x)
                    seeThrough += loaded.pixel(x, y).a != 255;
            EXPECT_EQ(seeThrough, 0) << fileName;
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

TEST(Pictures, TheTrayIsOpaqueAndTheBodyStandsOnATransparentBackground) {
    for (int scale = 1; scale <= 3; ++scale) {
        Picture tray(builtResource(variantName("control_tray_free", scale)));
        ASSERT_TRUE(tray.loaded());
        for (auto [x, y] : {std::pair{0.0, 0.0}, {319.5, 0.0}, {0.0, 189.5}, {319.5, 189.5}, {160.0, 95.0}})
            EXPECT_EQ(tray.at(x, y, scale).a, 255) << scale << "x at " << x << "," << y;

        Picture body(builtResource(variantName("base", scale)));
        ASSERT_TRUE(body.loaded());
        for (auto [x, y] : {std::pair{0.0, 0.0}, {213.5, 0.0}, {0.0, 320.5}, {213.5, 320.5}})
            EXPECT_EQ(body.at(x, y, scale).a, 0) << scale << "x corner " << x << "," << y;
        EXPECT_EQ(body.at(107, 107, scale).a, 255) << "the head's middle";
        EXPECT_EQ(body.at(107, 250, scale).a, 255) << "the barrel";
    }
}
