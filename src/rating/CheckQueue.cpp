#include "rating/CheckQueue.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

namespace torvane::rating {

struct CheckQueue::Line {
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::uint64_t nextTicket{0}; // handed to the next check started
    std::uint64_t nowServing{0}; // the check allowed to run; all before it have ended

    void run(std::uint64_t ticket, std::function<void()> check) {
        {
            std::unique_lock lock(mutex);
            turnChanged.wait(lock, [&] { return nowServing == ticket; });
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

CheckQueue::CheckQueue() : m_line(std::make_shared<Line>()) {}

bool CheckQueue::start(std::function<void()> check) {
    // The lock is held while the thread starts, so tickets follow the order of the calls and a
    // ticket whose thread could not start is never handed out.
    std::lock_guard lock(m_line->mutex);
    auto ticket = m_line->nextTicket;
    try {
        std::thread([line = m_line, ticket, check = std::move(check)]() mutable {
            line->run(ticket, std::move(check));
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    ++m_line->nextTicket;
    return true;
}

void CheckQueue::waitUntilIdle() const {
    std::unique_lock lock(m_line->mutex);
    m_line->turnChanged.wait(lock, [&] { return m_line->nowServing == m_line->nextTicket; });
}

} // namespace torvane::rating
