#pragma once

// Runs the launch checks one at a time, in the order they were started, each on a new thread of
// its own. Two checks that ran at once could both read the launch count before either stored it,
// and a launch would be lost; a ticket line keeps them apart without making the caller wait.
//
// The threads are detached: they share the line's state with the queue, so a check still running
// when the process ends touches nothing that has gone away. Tests and headless runs call
// `waitUntilIdle` to know that every check has ended.

#include <functional>
#include <memory>

namespace torvane::rating {

class CheckQueue {
  public:
    CheckQueue();

    // Starts a new thread that waits until every check started before has ended, then runs
    // `check`, which must not throw. Returns at once; false when no thread could be started, and
    // then `check` never runs.
    [[nodiscard]] bool start(std::function<void()> check);

    // Blocks until every check started so far has ended (and released what it held).
    void waitUntilIdle() const;

  private:
    struct Line;
    std::shared_ptr<Line> m_line;
};

} // namespace torvane::rating
