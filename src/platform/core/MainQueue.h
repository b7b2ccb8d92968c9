#pragma once

// Work handed to the main thread from any thread (the rating prompt's alert, a request's
// completion), now or at a moment of real time. The main loop runs it at its next pass; the queue
// outlives the loop, so work posted while the application ends is dropped with the queue instead
// of reaching a loop that has gone.
//
// Timed work is on the steady clock, not the application's: it is for letting go of devices and
// the like, which concerns the machine, and must not move when a script steps its virtual clock.

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace torvane::platform {

class MainQueue {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Any thread. Wakes the loop when one is waiting.
    void post(std::function<void()> work);
    // Any thread: `work` runs at the first pass of the loop at or after `due`.
    void postAt(TimePoint due, std::function<void()> work);
    // Whether work waits to run now; timed work that is not yet due does not count.
    [[nodiscard]] bool isEmpty() const;
    // The earliest moment timed work falls due, if any waits.
    [[nodiscard]] std::optional<TimePoint> nextDue() const;
    // Main thread: everything posted so far and the timed work due by `now`, in order.
    [[nodiscard]] std::deque<std::function<void()>> takeAll(TimePoint now = std::chrono::steady_clock::now());

    // The loop's way to be woken from its wait; empty when no loop runs. Called under the queue's
    // lock, so it must not post.
    void setWake(std::function<void()> wake);

  private:
    struct Timed {
        TimePoint due;
        std::function<void()> work;
    };

    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_work;
    std::vector<Timed> m_timed; // in order of posting
    std::function<void()> m_wake;
};

} // namespace torvane::platform
