#include "WiredStart.h"

#include "platform/core/BuildConfiguration.h"

#include "../devices/LoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using Lines = std::vector<std::string>;

namespace {

const std::string reportedLog = R"("op":"log","line":"####------->recordeding install on vintrel!!!"})";
const std::string markerSet = R"("op":"settings.set","key":"recorded_install","value":"TRUE"})";
const std::string synchronised = R"("op":"settings.sync"})";

std::string reportPath() {
    return "/app.php?idfa=00000000-0000-0000-0000-000000000000&appid=" + torvane::platform::build::appId() +
           "&v=2.3";
}

// Waits until the server has heard `count` requests; the request runs on a thread of its own. The
// bound only keeps a broken build from hanging; it is not what the test measures.
std::vector<std::string> awaitRequests(LoopbackServer& server, std::size_t count) {
    for (int i = 0; i < 2000 && server.requests().size() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return server.requests();
}

// A server that takes connections (the kernel completes them) and never says a word. Closing it
// resets them, so the request's thread ends with the test.
class SilentServer {
  public:
    SilentServer() {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_socket, 8) == 0 &&
            ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_socket); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    [[nodiscard]] int port() const { return m_port; }

  private:
    int m_socket{-1};
    int m_port{0};
};

} // namespace

TEST(InstallReport, AnEmptyStoreSendsOneGetThenSetsTheMarkerThenLogs) {
    LoopbackServer server(LoopbackServer::Answer::Ok);
    ASSERT_GT(server.port(), 0);
    WiredStart start;
    ScopedVariable host("TORVANE_INSTALL_HOST", loopbackHost(server.port()));
    auto controller = start.start("iPhone2,1");

    // The report is the first thing the start does.
    Lines all = start.traced();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(
        Lines(all.begin(), all.begin() + 4),
        (Lines{R"("op":"http.get","url":"http://)" + loopbackHost(server.port()) + reportPath() + R"("})",
               markerSet, synchronised, reportedLog}));
    EXPECT_EQ(start.traced({"http.get"}).size(), 1u);
    EXPECT_EQ(torvane::platform::SettingsStore(start.store().path(), start.context().trace)
                  .stringForKey("recorded_install"),
              "TRUE");

    auto requests = awaitRequests(server, 1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET " + reportPath() + " HTTP/1.1\r\n", 0), 0u) << requests[0];

    // Reported once: the next start with this store asks nothing.
    auto again = start.start("iPhone2,1");
    EXPECT_EQ(start.traced({"http.get"}).size(), 1u);
}

TEST(InstallReport, AnyStoredMarkerMeansNoRequestNoWriteNoLine) {
    for (std::string marker : {"TRUE", "FALSE", "no", ""}) {
        SCOPED_TRACE("marker \"" + marker + "\"");
        LoopbackServer server(LoopbackServer::Answer::Ok);
        WiredStart start;
        ScopedVariable host("TORVANE_INSTALL_HOST", loopbackHost(server.port()));
        start.storeBeforehand({{"recorded_install", marker},
                               {"flashlight_version", "1.6"},
                               {"lens_type", "white"},
                               {"soundfx_on", "TRUE"},
                               {"control_tray_up", "FALSE"}});
        auto controller = start.start("iPhone2,1");
        EXPECT_TRUE(start.traced({"http.get", "settings.set", "settings.sync", "log"}).empty());
        EXPECT_EQ(start.store().stringForKey("recorded_install"), marker);
        EXPECT_TRUE(server.requests().empty());
    }
}

TEST(InstallReport, ASilentOrAbsentServerStillLeavesTheMarkerAndTheStartDoesNotWait) {
    SilentServer silent;
    ASSERT_GT(silent.port(), 0);
    for (int port : {silent.port(), closedLoopbackPort()}) {
        SCOPED_TRACE(port == silent.port() ? "silent server" : "no server");
        WiredStart start;
        ScopedVariable host("TORVANE_INSTALL_HOST", loopbackHost(port));
        // The silent server has not answered when the start returns, so the start did not wait.
        auto controller = start.start("iPhone2,1");
        EXPECT_EQ(controller->x, 5);
        EXPECT_EQ(start.traced({"http.get"}).size(), 1u);
        EXPECT_EQ(torvane::platform::SettingsStore(start.store().path(), start.context().trace)
                      .stringForKey("recorded_install"),
                  "TRUE");
        auto logged = start.traced({"log"});
        EXPECT_NE(std::find(logged.begin(), logged.end(), reportedLog), logged.end());

        auto again = start.start("iPhone2,1");
        EXPECT_EQ(start.traced({"http.get"}).size(), 1u) << "a failed report is not sent again";
    }
}
