#pragma once

// Starts the screen's controller against a store, an LED tree, an install host and an audio driver
// of the test's own. The trace stays open for the whole test, so what the controller does after
// its start is traced too.

#include "platform/core/Application.h"
#include "platform/core/Trace.h"
#include "platform/storage/SettingsStore.h"
#include "platform/torch/LedClass.h"
#include "screen/TorvaneViewController.h"

#include "../devices/LedTrees.h"

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

// Sets an environment variable for as long as it lives, then puts back what was there.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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
          m_store(std::make_unique<torvane::platform::SettingsStore>(m_folder.path() / "settings.json")) {
        // An empty tree: no torch until a test adds one.
        torvane::platform::setLedRoot(m_leds.path().string());
        torvane::platform::openTrace((m_folder.path() / "trace.jsonl").string());
    }
    ~WiredStart() { torvane::platform::closeTrace(); }
    WiredStart(const WiredStart&) = delete;
    WiredStart& operator=(const WiredStart&) = delete;

    [[nodiscard]] const TempFolder& leds() const { return m_leds; }
    [[nodiscard]] const TempFolder& folder() const { return m_folder; }
    torvane::platform::SettingsStore& store() { return *m_store; }

    // Writes `pairs` to the store's file, as a previous run would have left them, untraced.
    void storeBeforehand(const std::vector<std::pair<std::string, std::string>>& pairs) {
        torvane::platform::closeTrace();
        for (const auto& [key, value] : pairs)
            m_store->setObject(value, key);
        m_store->synchronize();
        m_store = std::make_unique<torvane::platform::SettingsStore>(m_folder.path() / "settings.json");
        torvane::platform::openTrace((m_folder.path() / "trace.jsonl").string());
    }

    std::unique_ptr<torvane::screen::TorvaneViewController> start(std::optional<std::string> machine,
                                                                  bool captureSessions = true) {
        torvane::screen::ScreenEnvironment environment;
        environment.settings = m_store.get();
        environment.application = &m_application;
        environment.machine = std::move(machine);
        environment.screenHeight = 568;
        environment.canCaptureAVSessions = captureSessions;
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
    TempFolder m_folder;
    TempFolder m_leds;
    ScopedVariable m_installHost;
    ScopedVariable m_audioDriver;
    std::unique_ptr<torvane::platform::SettingsStore> m_store;
    torvane::platform::Application m_application;
};
