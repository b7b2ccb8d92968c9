// The built application, run headless on a script as a user of the command line would.

#include "platform/core/BuildConfiguration.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct AppRun {
    int status{-1};
    std::string trace;
};

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

AppRun runHeadless(const TemporaryFolder& folder, const std::string& script,
                   const std::string& screen = "320x568") {
    std::ofstream(folder / "script.txt") << script;
    std::filesystem::create_directory(folder / "leds");
    std::string command =
        "SDL_AUDIODRIVER=dummy TORVANE_URL_OPENER=/bin/true TORVANE_INSTALL_HOST=127.0.0.1:9 "
        "TORVANE_LEDS=" +
        quoted(folder / "leds") + " " + quoted(TORVANE_APP_BINARY) + " --headless --screen " + screen +
        " --machine iPhone3,1 --store " + quoted(folder / "settings.json") + " --trace " +
        quoted(folder / "trace.jsonl") + " --script " + quoted(folder / "script.txt") + " >/dev/null 2>&1";
    AppRun run;
    int result = std::system(command.c_str());
    run.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    std::ifstream in(folder / "trace.jsonl");
    run.trace.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

// Width and height from a PNG's header; zero when the file is no PNG.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> head(24);
    if (!in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size())))
        return {0, 0};
    if (head[1] != 'P' || head[2] != 'N' || head[3] != 'G')
        return {0, 0};
    auto number = [&](std::size_t at) {
        return std::uint32_t(head[at]) << 24 | std::uint32_t(head[at + 1]) << 16 |
               std::uint32_t(head[at + 2]) << 8 | std::uint32_t(head[at + 3]);
    };
    return {number(16), number(20)};
}

std::vector<std::string> linesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        auto line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.find(part) != std::string::npos)
            found.push_back(line);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return found;
}

} // namespace

TEST(HeadlessRun, AScriptedFirstStartShootsTheOpeningAndAnswersTheAlert) {
    TemporaryFolder folder;
    const std::vector<std::string> shots = {"a.png", "b.png", "c.png", "d.png", "e.png"};
    std::string script = "wait 0.25\nshot " + (folder / shots[0]).string() + "\nwait 0.5\nshot " +
                         (folder / shots[1]).string() + "\nwait 0.5\nshot " + (folder / shots[2]).string() +
                         "\nwait 0.5\nshot " + (folder / shots[3]).string() + "\nwait 0.35\nshot " +
                         (folder / shots[4]).string() + "\nalert 0\nquit\n";
    AppRun run = runHeadless(folder, script);
    ASSERT_EQ(run.status, 0) << run.trace;

    for (const auto& shot : shots) {
        SCOPED_TRACE(shot);
        ASSERT_TRUE(std::filesystem::exists(folder / shot));
        EXPECT_EQ(pngSize(folder / shot), (std::pair<std::uint32_t, std::uint32_t>{640, 1136}));
    }

    const std::string proPage = "itms-apps://" + torvane::platform::build::storeHost() +
                                "/us/app/torvane-pro/id" + torvane::platform::build::proAppId() +
                                "?ls=1&mt=8";
    auto opened = linesWith(run.trace, R"("op":"url.open")");
    ASSERT_EQ(opened.size(), 1u) << run.trace;
    EXPECT_NE(opened[0].find(R"("url":")" + proPage + "\""), std::string::npos) << opened[0];

    // The tray goes down at the end of the opening, two seconds in; the seeding at start writes the
    // same value at 0 first.
    auto trayDown = linesWith(run.trace, R"("key":"control_tray_up","value":"FALSE")");
    ASSERT_EQ(trayDown.size(), 2u) << run.trace;
    double time = std::stod(trayDown[1].substr(5));
    double start = std::stod(trayDown[0].substr(5));
    EXPECT_NEAR(time - start, 2.0, 0.05) << trayDown[1];
}

TEST(HeadlessRun, ABadScriptLineStopsBeforeTheStartWithStatus2) {
    TemporaryFolder folder;
    AppRun run = runHeadless(folder, "wait 0.25\njump 3 4\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "settings.json"));
}

// Phone shapes: the 320-point column is scaled to the window's width or height, whichever is
// smaller against 320x480, centred, and its layout takes the window's whole height. A script taps
// in window points, as a finger does, at the scaled places of the tray's buttons.
TEST(HeadlessRun, TheTrayAnswersAtItsScaledPlaceInEveryWindowShape) {
    struct Shape {
        std::string screen;
        double width, height;
    };
    for (const Shape& shape :
         {Shape{"360x720", 360, 720}, Shape{"720x360", 720, 360}, Shape{"412x915", 412, 915}}) {
        SCOPED_TRACE(shape.screen);
        TemporaryFolder folder;
        const double scale = std::min(shape.width / 320, shape.height / 480);
        const double left = (shape.width - 320 * scale) / 2;
        auto at = [&](double x, double yFromBottom) {
            return std::to_string(left + x * scale) + " " +
                   std::to_string(shape.height - yFromBottom * scale);
        };
        // The chevron in the strip left on screen with the tray down, then the sound switch in the
        // raised tray's strip (layout 308 of 480, 172 points above the bottom).
        std::string script =
            "wait 2.5\nalert 1\ntap " + at(300, 17) + "\nwait 0.6\ntap " + at(25, 172) + "\nquit\n";
        AppRun run = runHeadless(folder, script, shape.screen);
        ASSERT_EQ(run.status, 0) << run.trace;
        EXPECT_EQ(linesWith(run.trace, R"("key":"control_tray_up","value":"TRUE")").size(), 1u) << run.trace;
        EXPECT_EQ(linesWith(run.trace, R"("key":"soundfx_on","value":"FALSE")").size(), 1u) << run.trace;
    }
}
