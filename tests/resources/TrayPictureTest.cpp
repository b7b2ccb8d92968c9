// The tray has no button views: touches are hit-tested against fixed rectangles, so the picture
// is the only thing that tells the user where those rectangles are. These tests hold the drawing
// to the hit tables, in tray coordinates (layout y - 291, the tray's top edge with the tray up).
#include "Picture.h"
#include "screen/HitRegions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace torvane::tests;

namespace {

// Layout y of the tray's top edge with the tray up, and the tray's top strip that stays on
// screen with the tray down.
constexpr double trayTop = 291;
constexpr double visibleStrip = 33;

struct Region {
    std::string name;
    double left, right; // a < x < b
    double top, bottom; // tray y, a < y < b
};

// The hit regions with the tray up, read from the screen's own table and moved into the tray.
// The control strip reaches 3 points above the tray; only its part on the tray (and, with the
// tray down, its top 33 points) can be drawn.
std::vector<Region> trayRegions() {
    using torvane::screen::TouchAction;
    std::vector<Region> regions;
    for (const auto& hit : torvane::screen::trayUpRegions()) {
        std::string name = hit.action == TouchAction::PickLens        ? std::string(hit.lens.name)
                           : hit.action == TouchAction::MoveTray      ? "tray button"
                           : hit.action == TouchAction::OpenProPage   ? "PRO link"
                           : hit.action == TouchAction::OpenMakerPage ? "maker link"
                                                                      : "sound switch";
        regions.push_back(
            {name, hit.minX, std::min(double(hit.maxX), 320.0), hit.minY - trayTop, hit.maxY - trayTop});
    }
    return regions;
}
const std::vector<Region> regions = trayRegions();

// The dead gaps, both ends included: touches there do nothing, so nothing there may look
// like a button.
struct Gap {
    std::string name;
    double left, right;
    double top, bottom;
};

const std::vector<Gap> gaps = {
    {"strip, left edge", 0, 5, 0, visibleStrip},
    {"strip, sound switch to maker link", 45, 51, 0, visibleStrip},
    {"strip, maker link to PRO link", 177, 184, 0, visibleStrip},
    {"strip, PRO link to tray button", 282, 283, 0, visibleStrip},
    // The tray button's bezel ends inside the tray: its last point is panel.
    {"strip, right edge", 319, 319.9, 0, visibleStrip},
    {"lens row, left edge", 0, 2, 365 - trayTop, 402 - trayTop},
    {"bulb row, left fifth", 0, 64, 406 - trayTop, 478 - trayTop},
    {"bulb row, right fifth", 256, 319.5, 406 - trayTop, 478 - trayTop},
};

// The panel is drawn with a faint brushed grain; a button is drawn in colours or shades far
// from it.
constexpr int sameSurface = 45;
constexpr int clearlyDifferent = 90;

// The panel in pixel row PY, taken at x = 1 point, which is dead on every row.
Pixel panelPixel(const Picture& tray, int py, int scale) {
    return tray.pixel(scale, py);
}

// Whether a button is drawn over the point: most of the pixel there and its four neighbours
// differ clearly from the panel. (A single pixel can fall on the soft edge of a dark icon on a
// light face, whose blend may match the panel by chance.)
bool drawnOver(const Picture& tray, double x, double y, int scale) {
    int px = int(std::floor(x * scale)), py = int(std::floor(y * scale));
    int different = 0;
    for (auto [dx, dy] : {std::pair{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        Pixel panel = panelPixel(tray, py + dy, scale);
        different += colourDistance(tray.pixel(px + dx, py + dy), panel) >= clearlyDifferent;
    }
    return different >= 3;
}

class TrayPicture : public testing::TestWithParam<int> {
  protected:
    int scale() const { return GetParam(); }
    std::string fileName() const {
        return scale() == 1 ? "control_tray_free.png"
                            : "control_tray_free@" + std::to_string(scale()) + "x.png";
    }
};

} // namespace

TEST_P(TrayPicture, EveryHitRegionHasAButtonDrawnOverItsMiddle) {
    Picture tray(builtResource(fileName()));
    ASSERT_TRUE(tray.loaded()) << IMG_GetError();
    for (const auto& region : regions) {
        // The middle of the region and four points a quarter of the way out from it, so a
        // button drawn off to one side of its region fails too.
        double top = std::max(region.top, 0.0);
        double bottom = region.top < 0 ? std::min(region.bottom, visibleStrip) : region.bottom;
        double middleX = (region.left + region.right) / 2, middleY = (top + bottom) / 2;
        double spanX = (region.right - region.left) / 4, spanY = (bottom - top) / 4;
        for (auto [x, y] : {std::pair{middleX, middleY},
                            {middleX - spanX, middleY},
                            {middleX + spanX, middleY},
                            {middleX, middleY - spanY},
                            {middleX, middleY + spanY}}) {
            EXPECT_TRUE(drawnOver(tray, x, y, scale())) << region.name << " at " << x << "," << y;
        }
    }
}

TEST_P(TrayPicture, DeadGapsShowOnlyThePanel) {
    Picture tray(builtResource(fileName()));
    ASSERT_TRUE(tray.loaded()) << IMG_GetError();
    int s = scale();
    for (const auto& gap : gaps) {
        // Every pixel that covers a point of the gap, ends included, inside the rows it spans.
        int worst = 0, worstX = 0, worstY = 0;
        for (int py = int(std::ceil(gap.top * s)) + 1; py < int(std::floor(gap.bottom * s)); ++py) {
            for (int px = int(std::floor(gap.left * s)); px <= int(std::floor(gap.right * s)); ++px) {
                int distance = colourDistance(tray.pixel(px, py), panelPixel(tray, py, s));
                if (distance > worst) {
                    worst = distance;
                    worstX = px;
                    worstY = py;
                }
            }
        }
        EXPECT_LE(worst, sameSurface) << gap.name << ", worst at pixel " << worstX << "," << worstY;
    }
}

// The indicators lie over the wells of the sound switch and the tray button: their faces must
// fall on buttons, not on the panel beside them.
TEST_P(TrayPicture, IndicatorsSitOnTheirButtons) {
    Picture tray(builtResource(fileName()));
    ASSERT_TRUE(tray.loaded()) << IMG_GetError();
    struct Indicator {
        std::string name;
        double x, y, width, height;
    };
    for (const auto& indicator :
         {Indicator{"sound_off", 9, 6, 30, 26}, Indicator{"tray_up_button", 292, 6, 26, 26}}) {
        // Just inside the rounded corners of the faces.
        for (auto [x, y] : {std::pair{indicator.x + 3, indicator.y + 3},
                            {indicator.x + indicator.width - 3, indicator.y + 3},
                            {indicator.x + 3, indicator.y + indicator.height - 3},
                            {indicator.x + indicator.width - 3, indicator.y + indicator.height - 3}}) {
            EXPECT_TRUE(drawnOver(tray, x, y, scale())) << indicator.name << " corner at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, TrayPicture, testing::Values(1, 2, 3),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "x";
                         });
