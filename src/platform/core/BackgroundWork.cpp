#include "platform/core/BackgroundWork.h"

#include <system_error>

namespace torvane::platform {

BackgroundWork::~BackgroundWork() {
    stopAll();
}

bool BackgroundWork::start(std::function<void(std::stop_token)> work) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    reapEnded();
    auto job = std::make_unique<Job>();
    Job& started = *job;
    try {
        started.thread = std::jthread([&started, work = std::move(work)](std::stop_token stop) {
            work(stop);
            started.ended = true;
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_jobs.push_back(std::move(job));
    return true;
}

void BackgroundWork::stopAll() {
    std::list<std::unique_ptr<Job>> jobs;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        jobs.swap(m_jobs);
    }
    for (auto& job : jobs)
        job->thread.request_stop();
    // Joined outside the lock: an ending job may still ask whether it is stopping.
    for (auto& job : jobs)
        if (job->thread.joinable())
            job->thread.join();
}

std::size_t BackgroundWork::running() const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& job : m_jobs)
        count += job->ended ? 0 : 1;
    return count;
}

void BackgroundWork::reapEnded() {
    std::erase_if(m_jobs, [](std::unique_ptr<Job>& job) {
        if (!job->ended)
            return false;
        job->thread.join();
        return true;
    });
}

} // namespace torvane::platform
