#pragma once

// A stand-in for everything the rating prompt reaches: a typed settings store, a clock, the
// reachability flags, the probe, the main thread's queue, the alert and the URL opener. Every
// operation is recorded as one line in `events`, in the order performed.

#include "rating/RatingEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <variant>
#include <vector>

namespace torvane::rating::test {

inline constexpr double startOfTime = 1'700'000'000; // a moment in 2023, in seconds since 1970
inline constexpr double oneDay = 86'400;
inline constexpr std::uint32_t reachable = 2;

class FakeSystem {
  public:
    using Stored = std::variant<std::string, double, std::int64_t, bool>;

    // Set up before a check runs.
    std::map<std::string, Stored, std::less<>> store;
    std::optional<std::string> version{"2.3"};
    double now{startOfTime};
    std::optional<std::uint32_t> flags{reachable};
    bool probeStarts{true};
    // Makes each store read wait a little, so that checks which overlap really do interleave.
    bool slowStore{false};

    // Observed.
    std::vector<std::string> events;
    std::vector<std::function<void()>> mainQueue;
    std::vector<RatingAlert> alerts;

    // The environment, held by the prompt; it refers back to this fake, which must outlive it.
    std::shared_ptr<RatingEnvironment> environment() {
        auto environment = std::make_shared<RatingEnvironment>();
        environment->stringForKey = [this](std::string_view key) -> std::optional<std::string> {
            return readAs<std::string>(key);
        };
        environment->setObject = [this](const std::optional<std::string>& value, std::string_view key) {
            std::lock_guard lock(m_mutex);
            if (value)
                store.insert_or_assign(std::string(key), *value);
            else
                store.erase(std::string(key));
            events.push_back("set " + std::string(key) + " " + (value ? *value : "(removed)"));
        };
        environment->doubleForKey = [this](std::string_view key) {
            return readAs<double>(key).value_or(0.0);
        };
        environment->setDouble = [this](double value, std::string_view key) { write(key, value); };
        environment->integerForKey = [this](std::string_view key) {
            return readAs<std::int64_t>(key).value_or(0);
        };
        environment->setInteger = [this](std::int64_t value, std::string_view key) { write(key, value); };
        environment->boolForKey = [this](std::string_view key) { return readAs<bool>(key).value_or(false); };
        environment->setBool = [this](bool value, std::string_view key) { write(key, value); };
        environment->synchronize = [this] { record("sync"); };
        environment->applicationVersion = [this] { return version; };
        environment->now = [this] { return now; };
        environment->reachabilityFlags = [this] { return flags; };
        environment->startProbe = [this](const std::string& url, long timeoutSeconds) {
            record("probe " + url + " " + std::to_string(timeoutSeconds));
            return probeStarts;
        };
        environment->postToMain = [this](std::function<void()> work) {
            std::lock_guard lock(m_mutex);
            mainQueue.push_back(std::move(work));
        };
        environment->showAlert = [this](RatingAlert alert) {
            record("alert " + alert.title);
            alerts.push_back(std::move(alert));
        };
        environment->openURL = [this](const std::string& url) { record("open " + url); };
        environment->log = [this](std::string_view line) { record("log " + std::string(line)); };
        environment->storeHost = "store.test";
        environment->probeHost = "probe.test";
        environment->appId = 284417350;
        return environment;
    }

    // The work that checks posted to the main thread, run as the main loop would run it.
    void runMainQueue() {
        auto work = std::move(mainQueue);
        mainQueue.clear();
        for (auto& item : work)
            item();
    }

    // Presses a button of the alert on top, as the platform does, and takes the alert away.
    void answer(long buttonIndex) {
        ASSERT_FALSE(alerts.empty()) << "no alert is up";
        auto alert = std::move(alerts.back());
        alerts.pop_back();
        alert.clickedButtonAtIndex(alert, buttonIndex);
    }

    // The stored settings of a version that has been in use for `seconds` over `launches`
    // counted launches.
    void inUse(std::int64_t launches, double seconds) {
        store["kRatingPromptCurrentVersion"] = std::string("2.3");
        store["kRatingPromptLaunchDate"] = now - seconds;
        store["kRatingPromptLaunchCount"] = launches;
    }

    [[nodiscard]] std::int64_t count() const {
        return std::get<std::int64_t>(store.at("kRatingPromptLaunchCount"));
    }
    [[nodiscard]] bool flag(const std::string& key) const {
        auto found = store.find(key);
        return found != store.end() && std::get<bool>(found->second);
    }
    [[nodiscard]] std::size_t probes() const { return countEvents("probe "); }
    [[nodiscard]] std::size_t countEvents(const std::string& prefix) const {
        std::size_t found = 0;
        for (auto& event : events)
            found += event.rfind(prefix, 0) == 0 ? 1 : 0;
        return found;
    }

  private:
    std::optional<Stored> read(std::string_view key) {
        std::optional<Stored> value;
        {
            std::lock_guard lock(m_mutex);
            auto found = store.find(key);
            if (found != store.end())
                value = found->second;
        }
        // The pause falls between a read and whatever the reader writes next.
        if (slowStore)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return value;
    }

    template <typename T>
    std::optional<T> readAs(std::string_view key) {
        auto value = read(key);
        if (!value)
            return std::nullopt;
        if (auto* held = std::get_if<T>(&*value))
            return *held;
        return std::nullopt;
    }

    void write(std::string_view key, Stored value) {
        std::lock_guard lock(m_mutex);
        std::string text = std::visit(
            [](auto& held) {
                using Held = std::decay_t<decltype(held)>;
                if constexpr (std::is_same_v<Held, std::string>)
                    return held;
                else if constexpr (std::is_same_v<Held, bool>)
                    return std::string(held ? "true" : "false");
                else
                    return std::to_string(held);
            },
            value);
        store.insert_or_assign(std::string(key), std::move(value));
        events.push_back("set " + std::string(key) + " " + text);
    }

    void record(std::string event) {
        std::lock_guard lock(m_mutex);
        events.push_back(std::move(event));
    }

    std::mutex m_mutex;
};

} // namespace torvane::rating::test
