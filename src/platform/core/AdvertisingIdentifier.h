#pragma once

// The advertising identifier (the role of AdSupport's advertisingIdentifier.UUIDString). Linux has
// no such identifier, so we send the all-zero one, which is what the platform itself reports when
// the user has turned tracking off. It must never be derived from machine-id, a MAC address or
// anything else that identifies the user or the device.

#include <string_view>

namespace torvane::platform {

inline constexpr std::string_view advertisingIdentifier = "00000000-0000-0000-0000-000000000000";

} // namespace torvane::platform
