#pragma once

// The desktop session's own way to set an LED when its `brightness` file is not ours to write (a
// normal user on a phone): systemd-logind's SetBrightness on the caller's session, over the
// system bus. Absent logind, bus or libsystemd (opened here, SdBusLibrary.h) is a state: open()
// gives nothing.

#include <memory>
#include <optional>
#include <string>
#include <utility>

struct sd_bus;

namespace torvane::platform {

struct SdBusLibrary;

inline constexpr const char* logindService = "org.freedesktop.login1";
inline constexpr const char* logindSessionPath = "/org/freedesktop/login1/session/auto";
inline constexpr const char* logindSessionInterface = "org.freedesktop.login1.Session";

class LogindSession {
  public:
    // The caller's session, when logind knows it; otherwise std::nullopt and `whyNot` says why.
    [[nodiscard]] static std::optional<LogindSession> open(std::string& whyNot);

    // SetBrightness("leds", name, value); false, with the reason in `whyNot`, when refused.
    bool setLedBrightness(const std::string& name, int value, std::string& whyNot);

  private:
    struct BusCloser {
        std::shared_ptr<const SdBusLibrary> sd; // keeps the functions while the bus lives
        void operator()(sd_bus* bus) const;
    };
    LogindSession(std::shared_ptr<const SdBusLibrary> sd, sd_bus* bus)
        : m_bus(bus, BusCloser{std::move(sd)}) {}
    [[nodiscard]] const SdBusLibrary& sd() const { return *m_bus.get_deleter().sd; }

    std::unique_ptr<sd_bus, BusCloser> m_bus;
};

} // namespace torvane::platform
