// The built application, run headless on a script as a user of the command line would.

#include "platform/core/BuildConfiguration.h"

#include "../devices/LedTrees.h"
#include "../support/ChildProcess.h"
#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
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

// The built application, kept off the network and the speakers, on the LED tree `folder/leds`
// and the store `folder/settings.json`; what it prints goes to `folder/output.txt`.
std::unique_ptr<ChildProcess> startApp(const TemporaryFolder& folder, std::vector<std::string> arguments,
                                       std::vector<std::string> environment = {}) {
    std::filesystem::create_directories(folder / "leds");
    std::vector<std::string> command{TORVANE_APP_BINARY, "--machine", "iPhone3,1", "--store",
                                     (folder / "settings.json").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    environment.insert(environment.end(),
                       {"SDL_AUDIODRIVER=dummy", "TORVANE_URL_OPENER=/bin/true",
                        "TORVANE_INSTALL_HOST=127.0.0.1:9", "TORVANE_LEDS=" + (folder / "leds").string()});
    return std::make_unique<ChildProcess>(command, environment, (folder / "output.txt").string());
}

std::optional<int> statusOf(ChildProcess& app) {
    return app.waitFor(std::chrono::seconds(20));
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

TEST(HeadlessRun, SigtermDuringALongWaitEndsTheRunWithinASecondAsAQuitDoes) {
    TemporaryFolder folder;
    TemporaryFolder leds;
    makePinePhone(leds);
    auto script = folder.write("script.txt", "wait 1e9\n");
    auto app = startApp(folder, {"--headless", "--leds", leds.path().string(), "--script", script.string()});
    ASSERT_TRUE(app->started());
    // The torch is lit once the start is over and the wait has begun.
    for (int tries = 0; tries < 1000 && brightnessOf(leds, "white:flash") != "1"; ++tries)
        ASSERT_FALSE(app->waitFor(std::chrono::milliseconds(10))) << folder.read("output.txt");
    ASSERT_EQ(brightnessOf(leds, "white:flash"), "1");
    ::kill(app->pid(), SIGTERM);
    EXPECT_EQ(app->waitFor(std::chrono::seconds(1)), 0) << folder.read("output.txt");
    EXPECT_EQ(brightnessOf(leds, "white:flash"), "0");
}

TEST(HeadlessRun, WhatCannotBeCarriedOutMakesTheStatusNonZero) {
    TemporaryFolder folder;
    // A first start shows the PRO offer at once.
    auto noAlert = folder.write("no-alert.txt", "alert 0\nwait 0.1\nalert 0\n");
    auto noButton = folder.write("no-button.txt", "alert 5\n");
    auto answered = folder.write("answered.txt", "wait 0.1\nalert 0\n");
    std::filesystem::create_directory(folder / "folder-script");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string said;
    };
    const std::vector<Case> cases = {
        {{"--script", noAlert.string()}, 1, "no alert"},
        {{"--script", noButton.string()}, 1, "no button 5"},
        {{"--script", answered.string()}, 0, ""},
        {{"--script", (folder / "folder-script").string()}, 2, "it is a folder"},
        {{"--script", answered.string(), "--trace", "/dev/full"}, 1, "could not be written"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.arguments.front() + " " + run.arguments[1] + " " + run.arguments.back());
        std::filesystem::remove(folder / "settings.json");
        std::vector<std::string> arguments{"--headless"};
        arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
        auto app = startApp(folder, arguments);
        EXPECT_EQ(statusOf(*app), run.status) << folder.read("output.txt");
        EXPECT_NE(folder.read("output.txt").find(run.said), std::string::npos) << folder.read("output.txt");
    }
}

TEST(HeadlessRun, WithoutADisplayThePictureGoesToANewFileNotThroughALinkPlantedAtAKnownName) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "tmp");
    auto victim = folder.write("victim.txt", "keep");
    std::filesystem::create_symlink(victim, folder / "tmp" / "torvane-screen.png");
    auto app = startApp(folder, {}, {"DISPLAY", "WAYLAND_DISPLAY", "TMPDIR=" + (folder / "tmp").string()});
    ASSERT_EQ(statusOf(*app), 0) << folder.read("output.txt");
    EXPECT_TRUE(folder.read("victim.txt") == "keep") << "the planted link was followed";

    const std::string said = "the screen is in ";
    auto output = folder.read("output.txt");
    auto at = output.find(said);
    ASSERT_NE(at, std::string::npos) << output;
    std::filesystem::path picture = output.substr(at + said.size(), output.find('\n', at) - at - said.size());
    EXPECT_EQ(picture.parent_path(), folder / "tmp");
    EXPECT_NE(picture.filename(), "torvane-screen.png");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(picture))) << picture;
    EXPECT_EQ(pngSize(picture), (std::pair<std::uint32_t, std::uint32_t>{640, 1136}));
}
