#pragma once

// Work handed to the main thread from any thread (the rating prompt's alert, a request's
// completion). The main loop runs it at its next pass; the queue outlives the loop, so work
// posted while the application ends is dropped with the queue instead of reaching a loop that
// has gone.

#include <deque>
#include <functional>
#include <mutex>

namespace torvane::platform {

class MainQueue {
  public:
    // Any thread. Wakes the loop when one is waiting.
    void post(std::function<void()> work);
    [[nodiscard]] bool isEmpty() const;
    // Main thread: everything posted so far, in order.
    [[nodiscard]] std::deque<std::function<void()>> takeAll();

    // The loop's way to be woken from its wait; empty when no loop runs. Called under the queue's
    // lock, so it must not post.
    void setWake(std::function<void()> wake);

  private:
    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_work;
    std::function<void()> m_wake;
};

} // namespace torvane::platform
