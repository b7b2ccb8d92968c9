#pragma once

// Starts the screen's controller against a store, an LED tree, an install host and an audio driver
// of the test's own. The trace stays open for the whole test, so what the controller does after
// its start is traced too.

#include "app/InstallReport.h"
#include "platform/Context.h"
#include "screen/TorvaneViewController.h"

#include "../devices/LedTrees.h"
#include "../support/ScopedVariable.h"
#include "../support/TemporaryFolder.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

// A loopback port on which nothing listens: bound, then let go.
inline int closedLoopbackPort() {
    int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

inline std::string loopbackHost(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

class WiredStart {
  public:
    WiredStart()
        : m_installHost("TORVANE_INSTALL_HOST", loopbackHost(closedLoopbackPort())),
          m_audioDriver("SDL_AUDIODRIVER", "dummy"),
          // An empty tree: no torch until a test adds one.
          m_ledRoot("TORVANE_LEDS", m_leds.path().string()) {
        makeContext();
    }
    WiredStart(const WiredStart&) = delete;
    WiredStart& operator=(const WiredStart&) = delete;

    [[nodiscard]] const TemporaryFolder& leds() const { return m_leds; }
    [[nodiscard]] const TemporaryFolder& folder() const { return m_folder; }
    torvane::platform::SettingsStore& store() { return m_context->settings; }
    torvane::platform::Context& context() { return *m_context; }

    // Writes `pairs` to the store's file, as a previous run would have left them, untraced.
    void storeBeforehand(const std::vector<std::pair<std::string, std::string>>& pairs) {
        m_context->trace.close();
        for (const auto& [key, value] : pairs)
            m_context->settings.setObject(value, key);
        m_context->settings.synchronize();
        makeContext();
    }

    std::unique_ptr<torvane::screen::TorvaneViewController> start(std::optional<std::string> machine,
                                                                  bool captureSessions = true) {
        torvane::screen::ScreenEnvironment environment(*m_context);
        environment.machine = std::move(machine);
        environment.screenHeight = 568;
        environment.canCaptureAVSessions = captureSessions;
        environment.recordInstallIfNeeded = [this] { torvane::app::recordInstallIfNeeded(*m_context); };
        return std::make_unique<torvane::screen::TorvaneViewController>(environment);
    }

    // The trace so far, each line from `"op"` on, keeping the lines whose operation is one of `ops`
    // (all lines when `ops` is empty).
    [[nodiscard]] std::vector<std::string> traced(std::initializer_list<std::string> ops = {}) const {
        std::ifstream file(m_folder.path() / "trace.jsonl");
        std::vector<std::string> found;
        for (std::string line; std::getline(file, line);) {
            auto at = line.find("\"op\":\"");
            if (at == std::string::npos)
                continue;
            std::string op = line.substr(at + 6, line.find('"', at + 6) - (at + 6));
            bool wanted = ops.size() == 0;
            for (const auto& one : ops)
                wanted = wanted || op == one;
            if (wanted)
                found.push_back(line.substr(at));
        }
        return found;
    }

  private:
    // A new context starts a new trace, as a new run of the application would.
    void makeContext() {
        m_context.reset();
        m_context = std::make_unique<torvane::platform::Context>(m_folder.path() / "settings.json",
                                                                 (m_folder.path() / "trace.jsonl").string());
    }

    TemporaryFolder m_folder;
    TemporaryFolder m_leds;
    ScopedVariable m_installHost;
    ScopedVariable m_audioDriver;
    ScopedVariable m_ledRoot;
    std::unique_ptr<torvane::platform::Context> m_context;
};
