#pragma once

// Whether the network can be reached (the role of SystemConfiguration's reachability flags for the
// default route, 0.0.0.0). On Linux the kernel's routing tables tell it: reachable when a default
// route is up on an interface that is up. Linux has no on-demand links, so the connection-required
// and transient flags are never set.

#include <cstdint>
#include <optional>
#include <string>

namespace torvane::platform {

// The platform's flag values, so that callers test them as the platform's callers do.
enum ReachabilityFlag : std::uint32_t {
    ReachabilityFlagTransientConnection = 1,
    ReachabilityFlagReachable = 2,
    ReachabilityFlagConnectionRequired = 4,
};

inline constexpr const char* defaultProcNet = "/proc/net";
inline constexpr const char* procNetVariable = "TORVANE_PROC_NET";
inline constexpr const char* defaultSysClassNet = "/sys/class/net";

struct ReachabilitySources {
    std::string procNet = defaultProcNet;         // holds `route` and `ipv6_route`
    std::string sysClassNet = defaultSysClassNet; // holds IF/operstate
};

// The sources in use: /proc/net, or the folder named by $TORVANE_PROC_NET.
[[nodiscard]] ReachabilitySources defaultReachabilitySources();

// The flags for the default route; std::nullopt when they cannot be read (neither table can).
[[nodiscard]] std::optional<std::uint32_t>
defaultRouteReachabilityFlags(const ReachabilitySources& sources = defaultReachabilitySources());

} // namespace torvane::platform
