// The built application in a real X window (Xvfb, no window manager), closed the ways a desktop
// user closes it: each ends it with status 0 and the torch of a made-up LED tree off.

#include "../devices/LedTrees.h"
#include "../support/ChildProcess.h"
#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

bool installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server of its own, on a display number the server picks from those free and reports.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(const TemporaryFolder& folder) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return;
        // The server inherits the write end, so it must not close on exec.
        int reportFd = ::fcntl(ends[1], F_DUPFD, 10);
        ::close(ends[1]);
        auto server = std::make_unique<ChildProcess>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(reportFd), "-nolisten", "tcp",
                                     "-screen", "0", "800x1300x24"},
            std::vector<std::string>{}, (folder / "xvfb.txt").string());
        ::close(reportFd);
        std::string number;
        pollfd report{ends[0], POLLIN, 0};
        char byte = 0;
        while (::poll(&report, 1, 10000) == 1 && ::read(ends[0], &byte, 1) == 1 && byte != '\n')
            number += byte;
        ::close(ends[0]);
        if (byte == '\n' && !number.empty()) {
            m_server = std::move(server);
            m_name = ":" + number;
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    // Killed outright, the server would leave its lock behind and the number taken.
    ~VirtualDisplay() { stop(); }

    void stop() {
        if (m_server && !m_server->waitFor(std::chrono::milliseconds(0))) {
            ::kill(m_server->pid(), SIGTERM);
            m_server->waitFor(std::chrono::seconds(5));
        }
    }

    [[nodiscard]] bool running() const { return m_server != nullptr; }
    [[nodiscard]] const std::string& name() const { return m_name; }

  private:
    std::unique_ptr<ChildProcess> m_server;
    std::string m_name;
};

// Torvane started in a window of its own display, on a made-up PinePhone's LEDs, torch lit.
class WindowQuit : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (!installed("Xvfb") || !installed("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed (tools/bootstrap installs them)";
        makePinePhone(leds);
        display = std::make_unique<VirtualDisplay>(folder);
        ASSERT_TRUE(display->running()) << folder.read("xvfb.txt");
        app = std::make_unique<ChildProcess>(
            std::vector<std::string>{TORVANE_APP_BINARY, "--machine", "iPhone3,1", "--store",
                                     (folder / "settings.json").string(), "--leds", leds.path().string()},
            std::vector<std::string>{
                "DISPLAY=" + display->name(), "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy",
                "TORVANE_URL_OPENER=/bin/true", "TORVANE_INSTALL_HOST=127.0.0.1:9",
                "LSAN_OPTIONS=suppressions=" TORVANE_SOURCE_DIR "/tests/support/window-leaks.supp"},
            (folder / "output.txt").string());
        ASSERT_TRUE(app->started());
        // Lit first, before the window; the tests wait for the window itself before they act.
        for (int tries = 0; tries < 1000 && brightnessOf(leds, "white:flash") != "1"; ++tries)
            ASSERT_FALSE(app->waitFor(std::chrono::milliseconds(10))) << folder.read("output.txt");
        ASSERT_EQ(brightnessOf(leds, "white:flash"), "1");
    }

    void expectAQuit() {
        EXPECT_EQ(app->waitFor(std::chrono::seconds(10)), 0) << folder.read("output.txt");
        EXPECT_EQ(brightnessOf(leds, "white:flash"), "0");
    }

    TemporaryFolder folder;
    TemporaryFolder leds;
    std::unique_ptr<VirtualDisplay> display;
    std::unique_ptr<ChildProcess> app;
};

} // namespace

TEST_P(WindowQuit, EndsWithStatus0AndTheTorchOff) {
    std::string command = "DISPLAY=" + display->name() +
                          " timeout 10 xdotool search --sync --class app.torvane.Torvane " + GetParam() +
                          " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expectAQuit();
}

TEST_F(WindowQuit, TheDisplaysEndIsAQuitNotXlibsExit) {
    std::string command = "DISPLAY=" + display->name() +
                          " timeout 10 xdotool search --sync --class app.torvane.Torvane >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    display->stop();
    expectAQuit();
}

// The launcher lights the LED before the application is even loaded: a quit that comes in that
// moment is held until it can be a quit like any other.
TEST_F(WindowQuit, AQuitWhileTheApplicationLoadsIsAQuit) {
    ::kill(app->pid(), SIGTERM);
    EXPECT_EQ(app->waitFor(std::chrono::seconds(10)), 0);
    EXPECT_EQ(brightnessOf(leds, "white:flash"), "0") << folder.read("output.txt");
}

INSTANTIATE_TEST_SUITE_P(Desktop, WindowQuit,
                         ::testing::Values("key --window %1 Escape", "key --window %1 ctrl+q",
                                           "key --window %1 ctrl+w", "windowclose %1"));
