#include "platform/net/Reachability.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace torvane::platform {

namespace {

// Route flags of the kernel (linux/route.h).
constexpr unsigned long routeUp = 0x0001;
constexpr unsigned long routeReject = 0x0200;
constexpr const char* loopback = "lo";

unsigned long hexNumber(const std::string& text) {
    return std::strtoul(text.c_str(), nullptr, 16);
}

bool allZero(const std::string& hex) {
    return !hex.empty() && hex.find_first_not_of('0') == std::string::npos;
}

// An interface counts as up unless its operational state says otherwise; one whose state cannot be
// read (a tunnel without one, a made-up table) is taken at the routing table's word.
bool interfaceIsUp(const ReachabilitySources& sources, const std::string& name) {
    std::ifstream in(sources.sysClassNet + "/" + name + "/operstate");
    std::string state;
    if (!in || !std::getline(in, state))
        return true;
    return state != "down" && state != "lowerlayerdown" && state != "notpresent";
}

bool usable(const ReachabilitySources& sources, const std::string& name, unsigned long flags) {
    return name != loopback && (flags & routeUp) && !(flags & routeReject) && interfaceIsUp(sources, name);
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

// /proc/net/route: a header, then "Iface Destination Gateway Flags RefCnt Use Metric Mask ...",
// addresses in hexadecimal.
std::optional<bool> ipv4DefaultRouteUp(const ReachabilitySources& sources) {
    std::ifstream in(sources.procNet + "/route");
    if (!in)
        return std::nullopt;
    std::string line;
    std::getline(in, line);
    bool found = false;
    while (std::getline(in, line)) {
        auto fields = words(line);
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
    std::ifstream in(sources.procNet + "/ipv6_route");
    if (!in)
        return std::nullopt;
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        auto fields = words(line);
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
