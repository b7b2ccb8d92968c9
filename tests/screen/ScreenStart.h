#pragma once

// Starts a controller against a context of the test's own, with the trace of the start captured.

#include "platform/Context.h"
#include "screen/TorvaneViewController.h"

#include "../support/TemporaryFolder.h"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

class ScreenStart {
  public:
    ScreenStart() { makeContext(); }

    torvane::platform::SettingsStore& store() { return m_context->settings; }
    torvane::platform::Application& application() { return m_context->application; }
    torvane::platform::Context& context() { return *m_context; }

    // Writes `pairs` to the store's file, as a previous run would have left them.
    void storeBeforehand(const std::vector<std::pair<std::string, std::string>>& pairs) {
        for (const auto& [key, value] : pairs)
            m_context->settings.setObject(value, key);
        m_context->settings.synchronize();
        makeContext();
    }

    std::unique_ptr<torvane::screen::TorvaneViewController>
    start(std::optional<std::string> machine = "x86_64", std::optional<float> screenHeight = 568) {
        torvane::screen::ScreenEnvironment environment(*m_context);
        environment.machine = std::move(machine);
        environment.screenHeight = screenHeight;
        auto tracePath = m_folder / "trace.jsonl";
        m_context->trace.open(tracePath);
        auto controller = std::make_unique<torvane::screen::TorvaneViewController>(environment);
        m_context->trace.close();
        std::ifstream trace(tracePath);
        m_trace.clear();
        for (std::string line; std::getline(trace, line);)
            m_trace.push_back(line);
        return controller;
    }

    // The trace lines of the last start whose operation begins with `prefix`, from `"op"` on.
    // Only what follows the status bar step is looked at: the install report comes before it and
    // has its own tests.
    std::vector<std::string> traced(const std::string& prefix) const {
        std::vector<std::string> found;
        bool started = false;
        for (const auto& line : m_trace) {
            started = started || line.find("\"op\":\"statusbar.hidden\"") != std::string::npos;
            if (!started)
                continue;
            auto at = line.find("\"op\":\"" + prefix);
            if (at != std::string::npos)
                found.push_back(line.substr(at));
        }
        return found;
    }

  private:
    void makeContext() {
        m_context.reset();
        m_context = std::make_unique<torvane::platform::Context>(m_folder / "settings.json");
    }

    TemporaryFolder m_folder;
    std::unique_ptr<torvane::platform::Context> m_context;
    std::vector<std::string> m_trace;
};
