// The network test: the reachability flags of the default route, and the probe request that goes
// out whatever they say.

#include "FakeSystem.h"
#include "rating/RatingPrompt.h"

#include <gtest/gtest.h>

using namespace torvane::rating;
using namespace torvane::rating::test;

TEST(NetworkTest, UnreadableFlagsLogOneLineAndMakeNoProbe) {
    FakeSystem system;
    system.inUse(10, 10 * oneDay);
    system.flags.reset();
    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();

    EXPECT_EQ(system.countEvents("log "), 1u);
    EXPECT_EQ(system.countEvents("log Error. Could not recover network reachability flags"), 1u);
    EXPECT_EQ(system.probes(), 0u);
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.count(), 11);
}

TEST(NetworkTest, ProbesTheRootPageOverHttpWithATwentySecondTimeOut) {
    FakeSystem system;
    EXPECT_TRUE(std::make_shared<RatingPrompt>(system.environment())->connectedToNetwork());
    EXPECT_EQ(system.events, (std::vector<std::string>{"probe http://probe.test/ 20"}));
}

struct FlagsCase {
    std::uint32_t flags;
    bool probeStarts;
    bool connected;
};

class NetworkFlags : public testing::TestWithParam<FlagsCase> {};

TEST_P(NetworkFlags, ReachableWithoutConnectionRequiredOrTransientAndAProbe) {
    FakeSystem system;
    system.flags = GetParam().flags;
    system.probeStarts = GetParam().probeStarts;
    EXPECT_EQ(std::make_shared<RatingPrompt>(system.environment())->connectedToNetwork(),
              GetParam().connected);
    EXPECT_EQ(system.probes(), 1u);
    EXPECT_EQ(system.countEvents("log "), 0u);
}

// Flags: transient 1, reachable 2, connection required 4.
INSTANTIATE_TEST_SUITE_P(RatingPrompt, NetworkFlags,
                         testing::Values(FlagsCase{2, true, true}, FlagsCase{0, true, false},
                                         FlagsCase{2 | 4, true, false}, FlagsCase{4, true, false},
                                         FlagsCase{1, true, true}, FlagsCase{1 | 4, true, true},
                                         FlagsCase{2 | 8, true, true}, FlagsCase{2, false, false},
                                         FlagsCase{1, false, false}));

TEST(NetworkTest, OfflineLaunchIsCountedAndALaterOnlineLaunchPrompts) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    system.flags = 0;
    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.count(), 7);

    system.flags = reachable;
    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    EXPECT_EQ(system.mainQueue.size(), 1u);
    EXPECT_EQ(system.count(), 8);
}
