#include "platform/torch/LogindSession.h"

#include "platform/torch/SdBusLibrary.h"

#include <cstring>

namespace torvane::platform {

namespace {

struct ErrorHolder {
    const SdBusLibrary& sd;
    sd_bus_error error{}; // SD_BUS_ERROR_NULL, without its C compound literal
    explicit ErrorHolder(const SdBusLibrary& library) : sd(library) {}
    ~ErrorHolder() { sd.errorFree(&error); }
    ErrorHolder(const ErrorHolder&) = delete;
    ErrorHolder& operator=(const ErrorHolder&) = delete;
    [[nodiscard]] std::string describe(int result) const {
        if (error.message)
            return error.message;
        return std::strerror(result < 0 ? -result : result);
    }
};

} // namespace

void LogindSession::BusCloser::operator()(sd_bus* bus) const {
    sd->flushCloseUnref(bus);
}

std::optional<LogindSession> LogindSession::open(std::string& whyNot) {
    auto sd = SdBusLibrary::load(whyNot);
    if (!sd) {
        whyNot = "no libsystemd: " + whyNot;
        return std::nullopt;
    }
    sd_bus* raw = nullptr;
    int result = sd->openSystem(&raw);
    if (result < 0) {
        whyNot = std::string("no system bus: ") + std::strerror(-result);
        return std::nullopt;
    }
    LogindSession session(sd, raw);
    // Asking for a property of "our" session tells whether logind is there and knows this process.
    ErrorHolder error(*sd);
    int active = 0;
    result = sd->getPropertyTrivial(session.m_bus.get(), logindService, logindSessionPath,
                                    logindSessionInterface, "Active", &error.error, 'b', &active);
    if (result < 0) {
        whyNot = "no logind session: " + error.describe(result);
        return std::nullopt;
    }
    return session;
}

bool LogindSession::setLedBrightness(const std::string& name, int value, std::string& whyNot) {
    ErrorHolder error(sd());
    int result = sd().callMethod(m_bus.get(), logindService, logindSessionPath, logindSessionInterface,
                                 "SetBrightness", &error.error, nullptr, "ssu", "leds", name.c_str(),
                                 uint32_t(value < 0 ? 0 : value));
    if (result < 0) {
        whyNot = error.describe(result);
        return false;
    }
    return true;
}

} // namespace torvane::platform
