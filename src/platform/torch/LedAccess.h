#pragma once

// What the torch keeps from one toggle to the next. The screen fetches its capture device anew at
// every toggle, as the platform hands them out; what would be costly or noisy to make anew lives
// here, in the platform's context: the LED folder, the one connection to logind's session (a new
// bus connection per toggle would cost a handshake with the bus and logind at every switch), and
// whether the user has been told that the LED cannot be switched.

#include "platform/core/Trace.h"
#include "platform/torch/LedClass.h"
#include "platform/torch/LogindSession.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace torvane::platform {

class LedAccess {
  public:
    explicit LedAccess(Trace& trace, std::string root = ledRoot()) : m_trace(trace), m_root(std::move(root)) {}
    LedAccess(const LedAccess&) = delete;
    LedAccess& operator=(const LedAccess&) = delete;

    [[nodiscard]] Trace& trace() const { return m_trace; }
    // The folder searched for LEDs.
    [[nodiscard]] const std::string& root() const { return m_root; }

    // The session, opened at the first use that succeeds; null, with the reason in `whyNot`, when
    // logind cannot be had.
    [[nodiscard]] std::shared_ptr<LogindSession> logind(std::string& whyNot);
    // After a refused call: the next use connects again (logind or the bus may have restarted).
    void forgetLogind(const std::shared_ptr<LogindSession>& session);

    // A torch that cannot be switched is said once, not at every toggle.
    void tellCannotSwitch(const std::string& line);

  private:
    Trace& m_trace;
    const std::string m_root;
    std::mutex m_mutex;
    std::shared_ptr<LogindSession> m_logind;
    std::atomic<bool> m_toldCannotSwitch{false};
};

} // namespace torvane::platform
