#pragma once

// An owned file descriptor, closed when it goes away.

#include <unistd.h>
#include <utility>

namespace torvane::platform {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] explicit operator bool() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says whether that worked: a write's late error (NFS, a full disk) can first
    // show here, and a file that must reach the disk whole cannot ignore it.
    bool close() { return m_fd >= 0 && ::close(std::exchange(m_fd, -1)) == 0; }

  private:
    int m_fd{-1};
};

} // namespace torvane::platform
