#include "platform/net/Reachability.h"

#include "platform/core/SmallFile.h"

#include <charconv>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace torvane::platform {

namespace {

// Route flags of the kernel (linux/route.h).
constexpr unsigned long routeUp = 0x0001;
constexpr unsigned long routeReject = 0x0200;
constexpr const char* loopback = "lo";
constexpr std::size_t routeTableLimit = 16 << 20;

unsigned long hexNumber(std::string_view text) {
    unsigned long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return value;
}

bool allZero(std::string_view hex) {
    return !hex.empty() && hex.find_first_not_of('0') == std::string_view::npos;
}

// An interface counts as up unless its operational state says otherwise; one whose state cannot be
// read (a tunnel without one, a made-up table) is taken at the routing table's word.
bool interfaceIsUp(const ReachabilitySources& sources, std::string_view name) {
    auto text = readSmallFile(sources.sysClassNet + "/" + std::string(name) + "/operstate");
    if (!text || text->empty())
        return true;
    std::string_view state = linesOf(*text).front();
    return state != "down" && state != "lowerlayerdown" && state != "notpresent";
}

bool usable(const ReachabilitySources& sources, std::string_view name, unsigned long flags) {
    return name != loopback && (flags & routeUp) && !(flags & routeReject) && interfaceIsUp(sources, name);
}

// /proc/net/route: a header, then "Iface Destination Gateway Flags RefCnt Use Metric Mask ...",
// addresses in hexadecimal.
std::optional<bool> ipv4DefaultRouteUp(const ReachabilitySources& sources) {
    // The kernel's tables outgrow a sysfs attribute: a router's may be long.
    auto text = readSmallFile(sources.procNet + "/route", routeTableLimit);
    if (!text)
        return std::nullopt;
    auto lines = linesOf(*text);
    bool found = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        auto fields = wordsOf(lines[i]);
        if (fields.size() < 8)
            continue;
        if (allZero(fields[1]) && allZero(fields[7]) && usable(sources, fields[0], hexNumber(fields[3])))
            found = true;
    }
    return found;
}

// /proc/net/ipv6_route: "destination prefix-length source prefix-length next-hop metric refcount
// use flags interface", no header. The default route is ::/0; the kernel's "unreachable" ::/0
// routes on lo carry the reject flag.
std::optional<bool> ipv6DefaultRouteUp(const ReachabilitySources& sources) {
    auto text = readSmallFile(sources.procNet + "/ipv6_route", routeTableLimit);
    if (!text)
        return std::nullopt;
    bool found = false;
    for (std::string_view line : linesOf(*text)) {
        auto fields = wordsOf(line);
        if (fields.size() < 10)
            continue;
        if (allZero(fields[0]) && allZero(fields[1]) && usable(sources, fields[9], hexNumber(fields[8])))
            found = true;
    }
    return found;
}

} // namespace

ReachabilitySources defaultReachabilitySources() {
    ReachabilitySources sources;
    if (const char* folder = std::getenv(procNetVariable); folder && *folder)
        sources.procNet = folder;
    return sources;
}

std::optional<std::uint32_t> defaultRouteReachabilityFlags(const ReachabilitySources& sources) {
    auto ipv4 = ipv4DefaultRouteUp(sources);
    auto ipv6 = ipv6DefaultRouteUp(sources);
    if (!ipv4 && !ipv6)
        return std::nullopt;
    bool reachable = ipv4.value_or(false) || ipv6.value_or(false);
    return reachable ? std::uint32_t(ReachabilityFlagReachable) : std::uint32_t(0);
}

} // namespace torvane::platform
