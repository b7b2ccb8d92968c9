#include "platform/torch/LogindSession.h"

#include <cstring>
#include <mutex>
#include <systemd/sd-bus.h>

namespace torvane::platform {

namespace {

struct ErrorHolder {
    sd_bus_error error{}; // SD_BUS_ERROR_NULL, without its C compound literal
    ~ErrorHolder() { sd_bus_error_free(&error); }
    [[nodiscard]] std::string describe(int result) const {
        if (error.message)
            return error.message;
        return std::strerror(result < 0 ? -result : result);
    }
};

} // namespace

void LogindSession::BusCloser::operator()(sd_bus* bus) const {
    sd_bus_flush_close_unref(bus);
}

std::optional<LogindSession> LogindSession::open(std::string& whyNot) {
    sd_bus* raw = nullptr;
    int result = sd_bus_open_system(&raw);
    if (result < 0) {
        whyNot = std::string("no system bus: ") + std::strerror(-result);
        return std::nullopt;
    }
    LogindSession session(raw);
    // Asking for a property of "our" session tells whether logind is there and knows this process.
    ErrorHolder error;
    int active = 0;
    result = sd_bus_get_property_trivial(session.m_bus.get(), logindService, logindSessionPath,
                                         logindSessionInterface, "Active", &error.error, 'b', &active);
    if (result < 0) {
        whyNot = "no logind session: " + error.describe(result);
        return std::nullopt;
    }
    return session;
}

bool LogindSession::setLedBrightness(const std::string& name, int value, std::string& whyNot) {
    ErrorHolder error;
    int result = sd_bus_call_method(m_bus.get(), logindService, logindSessionPath, logindSessionInterface,
                                    "SetBrightness", &error.error, nullptr, "ssu", "leds", name.c_str(),
                                    uint32_t(value < 0 ? 0 : value));
    if (result < 0) {
        whyNot = error.describe(result);
        return false;
    }
    return true;
}

} // namespace torvane::platform
