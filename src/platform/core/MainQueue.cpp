#include "platform/core/MainQueue.h"

#include <algorithm>
#include <utility>

namespace torvane::platform {

void MainQueue::post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_work.push_back(std::move(work));
    if (m_wake)
        m_wake();
}

void MainQueue::postAt(TimePoint due, std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_timed.push_back({due, std::move(work)});
    // The loop may be asleep with no end to its wait, or a later one than this.
    if (m_wake)
        m_wake();
}

bool MainQueue::isEmpty() const {
    std::lock_guard lock(m_mutex);
    return m_work.empty();
}

std::optional<MainQueue::TimePoint> MainQueue::nextDue() const {
    std::lock_guard lock(m_mutex);
    if (m_timed.empty())
        return std::nullopt;
    return std::min_element(m_timed.begin(), m_timed.end(),
                            [](const Timed& a, const Timed& b) { return a.due < b.due; })
        ->due;
}

std::deque<std::function<void()>> MainQueue::takeAll(TimePoint now) {
    std::lock_guard lock(m_mutex);
    auto work = std::exchange(m_work, {});
    // Due timed work runs after what was posted to run now, earliest first.
    std::stable_sort(m_timed.begin(), m_timed.end(),
                     [](const Timed& a, const Timed& b) { return a.due < b.due; });
    auto firstLater =
        std::find_if(m_timed.begin(), m_timed.end(), [&](const Timed& timed) { return timed.due > now; });
    for (auto timed = m_timed.begin(); timed != firstLater; ++timed)
        work.push_back(std::move(timed->work));
    m_timed.erase(m_timed.begin(), firstLater);
    return work;
}

void MainQueue::setWake(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

} // namespace torvane::platform
