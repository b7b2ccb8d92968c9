#pragma once

// The desktop session's own way to set an LED when its `brightness` file is not ours to write (a
// normal user on a phone): systemd-logind's SetBrightness on the caller's session, over the
// system bus. Absent logind or bus is a state: open() gives nothing.

#include <memory>
#include <optional>
#include <string>

struct sd_bus;

namespace torvane::platform {

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
        void operator()(sd_bus* bus) const;
    };
    explicit LogindSession(sd_bus* bus) : m_bus(bus) {}

    std::unique_ptr<sd_bus, BusCloser> m_bus;
};

} // namespace torvane::platform
