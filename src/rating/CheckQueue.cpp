#include "rating/CheckQueue.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace torvane::rating {

struct CheckQueue::Line {
    std::mutex mutex;
    std::condition_variable_any turnChanged;
    std::uint64_t nextTicket{0}; // handed to the next check started
    std::uint64_t nowServing{0}; // the check allowed to run; all before it have ended
    bool abandoned{false};       // the background work was stopped: no turn will come

    void run(std::uint64_t ticket, std::stop_token stop, std::function<void()> check) {
        {
            std::unique_lock lock(mutex);
            if (!turnChanged.wait(lock, stop, [&] { return nowServing == ticket; })) {
                abandoned = true;
                turnChanged.notify_all();
                return;
            }
        }
        {
            // Released before the turn passes on, so that a waiter sees everything the check held
            // already gone.
            auto job = std::move(check);
            job();
        }
        {
            std::lock_guard lock(mutex);
            ++nowServing;
        }
        turnChanged.notify_all();
    }
};

CheckQueue::CheckQueue(platform::BackgroundWork& work) : m_work(work), m_line(std::make_shared<Line>()) {}

bool CheckQueue::start(std::function<void()> check) {
    // The lock is held while the thread starts, so tickets follow the order of the calls and a
    // ticket whose thread could not start is never handed out.
    std::lock_guard lock(m_line->mutex);
    auto ticket = m_line->nextTicket;
    bool started = m_work.start([line = m_line, ticket, check = std::move(check)](std::stop_token stop) mutable {
        line->run(ticket, stop, std::move(check));
    });
    if (started)
        ++m_line->nextTicket;
    return started;
}

void CheckQueue::waitUntilIdle() const {
    std::unique_lock lock(m_line->mutex);
    m_line->turnChanged.wait(lock, [&] { return m_line->abandoned || m_line->nowServing == m_line->nextTicket; });
}

} // namespace torvane::rating
