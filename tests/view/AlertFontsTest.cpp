#include "platform/alert/AlertFonts.h"
#include "platform/alert/AlertPresenter.h"
#include "platform/alert/FontconfigLibrary.h"
#include "platform/core/SdlPointers.h"

#include "../support/TestContext.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace torvane::platform;

namespace {

constexpr const char* dejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A fontconfig configuration that knows only the fonts of `fonts`, in force while it lives.
class FontFolder {
  public:
    explicit FontFolder(const std::filesystem::path& fonts) {
        std::filesystem::create_directories(fonts);
        auto config = m_folder / "fonts.conf";
        std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << fonts.string()
                              << "</dir><cachedir>" << (m_folder / "cache").string()
                              << "</cachedir></fontconfig>\n";
        ::setenv("FONTCONFIG_FILE", config.c_str(), 1);
    }
    ~FontFolder() { ::unsetenv("FONTCONFIG_FILE"); }
    FontFolder(const FontFolder&) = delete;
    FontFolder& operator=(const FontFolder&) = delete;

  private:
    TemporaryFolder m_folder;
};

// A software renderer on a surface filled with `argb`, as headless drawing uses.
struct Offscreen {
    Offscreen(int width, int height, Uint32 argb)
        : surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888)),
          sdl(SDL_CreateSoftwareRenderer(surface.get())) {
        SDL_FillRect(surface.get(), nullptr, argb);
    }
    [[nodiscard]] Uint32 pixel(int x, int y) {
        SDL_RenderFlush(sdl.get());
        return static_cast<const Uint32*>(surface->pixels)[y * surface->pitch / 4 + x] & 0xFFFFFF;
    }
    SurfacePointer surface;
    RendererPointer sdl;
};

AlertFontFiles findFonts() {
    std::string whyNot;
    auto fontconfig = FontconfigLibrary::load(whyNot);
    if (!fontconfig)
        ADD_FAILURE() << whyNot;
    return fontconfig ? findAlertFonts(*fontconfig) : AlertFontFiles{};
}

Alert twoButtonAlert(std::vector<int>& clicks) {
    return {"Title", "A message", "Upgrade", {"Not Now"}, [&clicks](int index) { clicks.push_back(index); }};
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

} // namespace

TEST(AlertFonts, AreFoundWhereverTheConfigurationKeepsThem) {
    if (!std::filesystem::exists(dejaVuSans))
        GTEST_SKIP() << "no DejaVu Sans to copy";
    TemporaryFolder fonts;
    auto renamed = fonts / "face-of-another-name.ttf";
    std::filesystem::copy_file(dejaVuSans, renamed);
    FontFolder config(fonts.path());

    AlertFontFiles found = findFonts();
    EXPECT_EQ(found.regular, renamed.string());
    EXPECT_EQ(found.bold, renamed.string()); // no bold face there: the regular one sets bold text too
}

TEST(AlertFonts, WithoutAnyFontTheAlertSaysSoOnceAndStillAnswers) {
    TestContext t;
    FontFolder config(t.folder / "empty");
    EXPECT_TRUE(findFonts().regular.empty());

    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    std::vector<int> clicks;
    {
        AlertPresenter alerts(t.context.trace, t.context.needsDisplay);
        alerts.setScreen({320, 480}, 1);
        Offscreen screen(320, 480, 0xFF000000);
        alerts.show(twoButtonAlert(clicks));
        alerts.draw(screen.sdl.get());
        alerts.setScreen({320, 568}, 2); // new sizes, fonts tried again: still one line
        alerts.draw(screen.sdl.get());
        auto layout = alerts.layout();
        ASSERT_TRUE(layout);
        ASSERT_EQ(layout->buttons.size(), 2u);
        EXPECT_TRUE(alerts.touch(layout->buttons[1].frame.center()));
    }
    t.stopTrace();
    EXPECT_EQ(clicks, std::vector<int>{1});
    std::string trace = t.folder.read("trace.jsonl");
    std::size_t lines = 0;
    for (std::size_t at = trace.find("alert: no text"); at != std::string::npos;
         at = trace.find("alert: no text", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << trace;
}

TEST(AlertPresenter, ThePanelHidesTheScreenBeneathIt) {
    std::vector<int> clicks;
    TestContext t;
    AlertPresenter alerts(t.context.trace, t.context.needsDisplay);
    alerts.setScreen({320, 480}, 1);
    alerts.show(twoButtonAlert(clicks));
    Offscreen screen(320, 480, 0xFFFF0000); // a red lens
    alerts.draw(screen.sdl.get());
    auto layout = alerts.layout();
    ASSERT_TRUE(layout);
    // In the panel's margin, half-way down to the buttons, and left of the buttons' titles.
    const int x = int(layout->panel.x) + 6;
    EXPECT_EQ(screen.pixel(x, int((layout->panel.y + layout->buttons[0].frame.y) / 2)), 0xF4F4F6u);
    EXPECT_EQ(screen.pixel(x, int(layout->buttons[0].frame.y) + 20), 0xF4F4F6u);
    // Outside the panel the screen is dimmed, not hidden.
    Uint32 dimmed = screen.pixel(2, 2);
    EXPECT_GT(dimmed >> 16, 0x80u);
    EXPECT_LT(dimmed >> 16, 0xFFu);
}

// The libraries opened at their first use may be missing from a system: each part goes on without.
TEST(LibrariesOpenedAtFirstUse, WhenMissingLeaveAlertsAnswering) {
    const std::string missing = "libtorvane-missing.so.0";
    TestContext t;
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    std::vector<int> clicks;
    for (const AlertTextLibraries& libraries : {AlertTextLibraries{missing, TtfLibrary::soname},
                                                AlertTextLibraries{FontconfigLibrary::soname, missing}}) {
        AlertPresenter alerts(t.context.trace, t.context.needsDisplay, libraries);
        alerts.setScreen({320, 480}, 1);
        Offscreen screen(320, 480, 0xFF000000);
        alerts.show(twoButtonAlert(clicks));
        alerts.draw(screen.sdl.get());
        auto layout = alerts.layout();
        ASSERT_TRUE(layout && layout->buttons.size() == 2);
        EXPECT_TRUE(alerts.touch(layout->buttons[1].frame.center()));
    }
    t.stopTrace();
    EXPECT_EQ(clicks, (std::vector<int>{1, 1}));
    std::string trace = t.folder.read("trace.jsonl");
    EXPECT_EQ(count(trace, "alert: no text"), 2u) << trace;
    EXPECT_EQ(count(trace, missing), 2u) << "each line names what is missing: " << trace;
}
