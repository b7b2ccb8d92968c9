#pragma once

// Runs the launch checks one at a time, in the order they were started, each on a thread of the
// application's background work. Two checks that ran at once could both read the launch count
// before either stored it, and a launch would be lost; a ticket line keeps them apart without
// making the caller wait.
//
// The threads share the line's state with the queue, so the queue may go before they end. When
// the background work is stopped, a check still waiting for its turn is dropped.

#include "platform/core/BackgroundWork.h"

#include <functional>
#include <memory>

namespace torvane::rating {

class CheckQueue {
  public:
    explicit CheckQueue(platform::BackgroundWork& work);

    // Starts a thread that waits until every check started before has ended, then runs `check`,
    // which must not throw. Returns at once; false when no thread could be started, and then
    // `check` never runs.
    [[nodiscard]] bool start(std::function<void()> check);

    // Blocks until every check started so far has ended (and released what it held), or the
    // background work has been stopped.
    void waitUntilIdle() const;

  private:
    struct Line;
    platform::BackgroundWork& m_work;
    std::shared_ptr<Line> m_line;
};

} // namespace torvane::rating
