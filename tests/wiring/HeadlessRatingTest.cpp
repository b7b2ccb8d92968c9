// The built application, headless, with a store whose rating prompt is due: the probe reaches a
// server on the loopback address and the rating alert shows at the same point of the script.

#include "../devices/LoopbackServer.h"
#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

struct HeadlessRun {
    TemporaryFolder temporary;
    fs::path folder = temporary.path();
    HeadlessRun() {
        fs::create_directories(folder / "net");
        fs::create_directories(folder / "leds");
        // A default route on an interface of our own, so the test does not depend on the machine's network.
        writeFile(folder / "net" / "route",
                  "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n"
                  "tvtest0\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
    }

    int run(const std::string& script, const std::string& environment) {
        writeFile(folder / "script", script);
        std::string command =
            "env SDL_AUDIODRIVER=dummy TORVANE_URL_OPENER=/bin/true TORVANE_INSTALL_HOST=127.0.0.1:9 "
            "TORVANE_PROC_NET=" +
            (folder / "net").string() + " " + environment + " " +
            TORVANE_BINARY_DIR "/src/app/torvane --headless --machine iPhone2,1 --leds " +
            (folder / "leds").string() + " --store " + (folder / "settings.json").string() + " --trace " +
            (folder / "trace.jsonl").string() + " --script " + (folder / "script").string() + " 2>/dev/null";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST(HeadlessRating, ADuePromptProbesTheLoopbackServerAndShowsTheRatingAlert) {
    LoopbackServer probe(LoopbackServer::Answer::Ok);
    HeadlessRun app;
    double fourDaysAgo =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() -
        4 * 86400;
    writeFile(app.folder / "settings.json",
              R"({"flashlight_version":"1.6","lens_type":"red","soundfx_on":"TRUE","control_tray_up":"TRUE",)"
              R"("recorded_install":"TRUE","kRatingPromptCurrentVersion":"2.3","kRatingPromptLaunchDate":)" +
                  std::to_string(fourDaysAgo) +
                  R"(,"kRatingPromptLaunchCount":6,"kRatingPromptRatedCurrentVersion":false,)"
                  R"("kRatingPromptDeclinedToRate":false})");

    ASSERT_EQ(app.run("wait 0.1\nalert 2\nwait 0.1\n",
                      "TORVANE_VERSION=2.3 TORVANE_PROBE_HOST=127.0.0.1:" + std::to_string(probe.port())),
              0);

    std::string trace = readFile(app.folder / "trace.jsonl");
    EXPECT_NE(
        trace.find(R"("op":"http.get","url":"http://127.0.0.1:)" + std::to_string(probe.port()) + "/\"}"),
        std::string::npos);
    EXPECT_NE(trace.find(R"("op":"alert.show","title":"Rate - Torvane")"), std::string::npos) << trace;
    EXPECT_NE(trace.find(R"("buttons":"No, Thanks|Rate - Torvane|Remind me later")"), std::string::npos);
    EXPECT_NE(trace.find(R"("op":"alert.answer","index":2)"), std::string::npos);
    EXPECT_NE(trace.find(R"("key":"kRatingPromptLaunchCount","value":7)"), std::string::npos);
    // "Remind me later" stores nothing of its own.
    EXPECT_EQ(trace.find("kRatingPromptDeclinedToRate\",\"value\":true"), std::string::npos);
}

TEST(HeadlessRating, ALaunchBelowTheThresholdsMakesNoRequest) {
    LoopbackServer probe(LoopbackServer::Answer::Ok);
    HeadlessRun app;
    ASSERT_EQ(app.run("wait 0.5\n", "TORVANE_PROBE_HOST=127.0.0.1:" + std::to_string(probe.port())), 0);
    std::string trace = readFile(app.folder / "trace.jsonl");
    EXPECT_NE(trace.find(R"("key":"kRatingPromptLaunchCount","value":1)"), std::string::npos);
    EXPECT_EQ(trace.find("Rate - Torvane"), std::string::npos);
    EXPECT_TRUE(probe.requests().empty());
}

} // namespace
