#include "platform/core/MainQueue.h"

#include <utility>

namespace torvane::platform {

void MainQueue::post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_work.push_back(std::move(work));
    if (m_wake)
        m_wake();
}

bool MainQueue::isEmpty() const {
    std::lock_guard lock(m_mutex);
    return m_work.empty();
}

std::deque<std::function<void()>> MainQueue::takeAll() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_work, {});
}

void MainQueue::setWake(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

} // namespace torvane::platform
