#pragma once

// A started controller on the virtual clock, with the trace of the whole test open, the alerts and
// opened URLs captured, and a context (store, animator, clock) of its own.

#include "platform/Context.h"
#include "screen/TorvaneViewController.h"

#include "../support/TemporaryFolder.h"

#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct TracedLine {
    double time;
    std::string rest; // from "op" on, without the time
};

class ScreenScene {
  public:
    ScreenScene() { makeContext(); }
    ~ScreenScene() { m_controller.reset(); }
    ScreenScene(const ScreenScene&) = delete;
    ScreenScene& operator=(const ScreenScene&) = delete;

    // Writes `pairs` as a previous run would have left them.
    void storeBeforehand(const std::vector<std::pair<std::string, std::string>>& pairs) {
        for (const auto& [key, value] : pairs)
            m_context->settings.setObject(value, key);
        m_context->settings.synchronize();
        makeContext();
    }

    // Starts the controller (init only); the trace is open from here to the end of the test.
    torvane::screen::TorvaneViewController& start(std::optional<std::string> machine = "iPhone2,1",
                                                  std::optional<float> screenHeight = 480) {
        torvane::screen::ScreenEnvironment environment(*m_context);
        environment.machine = std::move(machine);
        environment.screenHeight = screenHeight;
        environment.showAlert = [this](torvane::platform::Alert alert) {
            alerts.push_back(std::move(alert));
        };
        environment.openURL = [this](const std::string& url) { openedURLs.push_back(url); };
        m_context->trace.open((m_folder / "trace.jsonl").string());
        m_controller = std::make_unique<torvane::screen::TorvaneViewController>(environment);
        return *m_controller;
    }

    // Starts and builds the view tree; `startTime` is the clock at loadView.
    torvane::screen::TorvaneViewController& startOnScreen(std::optional<std::string> machine = "iPhone2,1",
                                                          float screenHeight = 480) {
        auto& controller = start(std::move(machine), screenHeight);
        m_traceMark = lines().size();
        startTime = m_context->clock.now();
        (void)controller.view();
        return controller;
    }

    // Lets `seconds` pass frame by frame, as the main loop does.
    void run(double seconds) {
        const int frames = int(seconds * 60 + 0.5);
        for (int frame = 0; frame < frames; ++frame) {
            m_context->clock.advance(1.0 / 60);
            m_context->animator.advance(m_context->clock.now());
        }
    }

    // Trace lines since loadView (all of them before it) whose operation begins with `prefix`.
    [[nodiscard]] std::vector<TracedLine> traced(const std::string& prefix, bool sinceLoad = true) const {
        std::vector<TracedLine> found;
        auto all = lines();
        for (std::size_t i = sinceLoad ? m_traceMark : 0; i < all.size(); ++i) {
            const auto& line = all[i];
            auto at = line.find("\"op\":\"" + prefix);
            if (at == std::string::npos)
                continue;
            found.push_back({std::stod(line.substr(5)), line.substr(at)});
        }
        return found;
    }
    [[nodiscard]] std::vector<std::string> tracedText(const std::string& prefix,
                                                      bool sinceLoad = true) const {
        std::vector<std::string> text;
        for (auto& line : traced(prefix, sinceLoad))
            text.push_back(line.rest);
        return text;
    }
    // Forgets the trace so far: later `traced` calls see only what follows.
    void markTrace() { m_traceMark = lines().size(); }

    [[nodiscard]] torvane::platform::SettingsStore storedAgain() const {
        return torvane::platform::SettingsStore(m_folder / "settings.json", m_context->trace);
    }

    [[nodiscard]] torvane::platform::Context& context() { return *m_context; }

    std::vector<torvane::platform::Alert> alerts;
    std::vector<std::string> openedURLs;
    double startTime{0};

  private:
    void makeContext() {
        m_context.reset();
        m_context = std::make_unique<torvane::platform::Context>(m_folder / "settings.json");
        m_context->clock.setMode(torvane::platform::ClockMode::Virtual);
    }

    [[nodiscard]] std::vector<std::string> lines() const {
        std::vector<std::string> all;
        std::ifstream in(m_folder / "trace.jsonl");
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    }

    TemporaryFolder m_folder;
    std::unique_ptr<torvane::platform::Context> m_context;
    std::unique_ptr<torvane::screen::TorvaneViewController> m_controller;
    std::size_t m_traceMark{0};
};
