#include "platform/net/Reachability.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace torvane::platform;

namespace {

constexpr const char* routeHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
// A default route through 192.168.1.1 (flags UP|GATEWAY), and the local network.
constexpr const char* wlanDefault = "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                                    "wlan0\t0001A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n";
constexpr const char* localOnly = "wlan0\t0001A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n";
// The kernel's own ::/0 "unreachable" route on lo (flags REJECT|UP), and a link-local route.
constexpr const char* ipv6Loopback =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n"
    "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 00000100 00000001 00000000 00000001    wwan0\n";
constexpr const char* ipv6Default =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "fe800000000000000000000000000001 00000400 00000001 00000000 00000003    wwan0\n";

struct Network {
    TemporaryFolder folder;
    ReachabilitySources sources() const {
        return {(folder.path() / "proc").string(), (folder.path() / "sys").string()};
    }
};

} // namespace

TEST(Reachability, DefaultRouteOnAnUpInterfaceIsReachable) {
    Network network;
    network.folder.write("proc/route", std::string(routeHeader) + wlanDefault);
    network.folder.write("sys/wlan0/operstate", "up\n");
    EXPECT_EQ(defaultRouteReachabilityFlags(network.sources()), std::uint32_t(ReachabilityFlagReachable));

    // An IPv6-only network (a phone on a mobile network) is reachable too.
    Network ipv6Only;
    ipv6Only.folder.write("proc/route", routeHeader);
    ipv6Only.folder.write("proc/ipv6_route", std::string(ipv6Loopback) + ipv6Default);
    EXPECT_EQ(defaultRouteReachabilityFlags(ipv6Only.sources()), std::uint32_t(ReachabilityFlagReachable));
}

TEST(Reachability, NoUsableDefaultRouteIsUnreachable) {
    Network noDefault;
    noDefault.folder.write("proc/route", std::string(routeHeader) + localOnly);
    noDefault.folder.write("proc/ipv6_route", ipv6Loopback);
    EXPECT_EQ(defaultRouteReachabilityFlags(noDefault.sources()), 0u) << "lo's reject route is no way out";

    Network interfaceDown;
    interfaceDown.folder.write("proc/route", std::string(routeHeader) + wlanDefault);
    interfaceDown.folder.write("sys/wlan0/operstate", "down\n");
    EXPECT_EQ(defaultRouteReachabilityFlags(interfaceDown.sources()), 0u);

    Network routeDown;
    routeDown.folder.write("proc/route",
                           std::string(routeHeader) +
                               "wlan0\t00000000\t0101A8C0\t0002\t0\t0\t600\t00000000\t0\t0\t0\n");
    EXPECT_EQ(defaultRouteReachabilityFlags(routeDown.sources()), 0u);
}

TEST(Reachability, FlagsCannotBeReadWithoutEitherTable) {
    Network none;
    EXPECT_EQ(defaultRouteReachabilityFlags(none.sources()), std::nullopt);

    Network ipv6Only;
    ipv6Only.folder.write("proc/ipv6_route", "");
    EXPECT_EQ(defaultRouteReachabilityFlags(ipv6Only.sources()), 0u) << "one readable table is enough";
}

TEST(Reachability, EnvironmentNamesAnotherFolder) {
    TemporaryFolder folder;
    folder.write("route", std::string(routeHeader) + localOnly);
    ::setenv(procNetVariable, folder.path().c_str(), 1);
    EXPECT_EQ(defaultReachabilitySources().procNet, folder.path().string());
    EXPECT_EQ(defaultRouteReachabilityFlags(), 0u);
    ::unsetenv(procNetVariable);
    EXPECT_EQ(defaultReachabilitySources().procNet, defaultProcNet);
}
