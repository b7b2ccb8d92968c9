#include "platform/torch/LedAccess.h"

namespace torvane::platform {

std::shared_ptr<LogindSession> LedAccess::logind(std::string& whyNot) {
    std::lock_guard lock(m_mutex);
    if (!m_logind) {
        if (auto opened = LogindSession::open(whyNot))
            m_logind = std::make_shared<LogindSession>(std::move(*opened));
    }
    return m_logind;
}

void LedAccess::forgetLogind(const std::shared_ptr<LogindSession>& session) {
    std::lock_guard lock(m_mutex);
    if (m_logind == session)
        m_logind.reset();
}

void LedAccess::tellCannotSwitch(const std::string& line) {
    if (!m_toldCannotSwitch.exchange(true))
        m_trace.log(line);
}

} // namespace torvane::platform
