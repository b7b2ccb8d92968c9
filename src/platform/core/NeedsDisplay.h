#pragma once

// Budget: an idle frame draws nothing. Whatever changes what is on screen (an image, a hidden
// flag, a transform set at once, an alert) raises this flag; the main loop draws a frame only
// when it is raised or something animates. Safe from any thread.

#include <atomic>

namespace torvane::platform {

class NeedsDisplay {
  public:
    void set() { m_flag = true; }
    [[nodiscard]] bool isSet() const { return m_flag; }
    // Reads and lowers the flag.
    [[nodiscard]] bool take() { return m_flag.exchange(false); }

  private:
    std::atomic<bool> m_flag{true};
};

} // namespace torvane::platform
