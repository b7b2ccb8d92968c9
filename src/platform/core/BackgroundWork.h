#pragma once

// The threads the application runs beside the main thread: the install report's request, the
// rating checks and their probe, the reaping of URL openers. Each runs with a stop token; ending
// the registry asks every one to stop and joins it, so no work outlives what it uses. Work keeps
// its own bound (a request's time-out) and looks at its token where it can stop early (a request
// aborts at its next progress call), so the join is bounded too.
//
//     BackgroundWork work;
//     work.start([](std::stop_token stop) { ... });   // false when no thread could start
//     ...
//     work.stopAll();                                  // also done by the destructor

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace torvane::platform {

class BackgroundWork {
  public:
    BackgroundWork() = default;
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Runs `work` on a new thread, which must not throw. False when the registry is stopping or no
    // thread could be started; `work` then never runs.
    [[nodiscard]] bool start(std::function<void(std::stop_token)> work);

    // Asks every thread to stop and waits for all of them; later starts are refused. Any thread
    // but one of the registry's own.
    void stopAll();

    // Threads started and not yet ended.
    [[nodiscard]] std::size_t running() const;

  private:
    struct Job {
        std::jthread thread;
        std::atomic<bool> ended{false};
    };
    // Joins the threads that have ended; called with the lock held.
    void reapEnded();

    mutable std::mutex m_mutex;
    std::list<std::unique_ptr<Job>> m_jobs;
    bool m_stopping{false};
};

} // namespace torvane::platform
