// The launch check: what each launch stores, and when it decides that the prompt is due.

#include "FakeSystem.h"
#include "rating/RatingPrompt.h"

#include <gtest/gtest.h>

using namespace torvane::rating;
using namespace torvane::rating::test;

namespace {

// Runs one check on this thread, as its own thread would.
void checkLaunch(FakeSystem& system) {
    auto prompt = std::make_shared<RatingPrompt>(system.environment());
    prompt->_appLaunched();
}

std::string setDate(double seconds) {
    return "set kRatingPromptLaunchDate " + std::to_string(seconds);
}

} // namespace

TEST(LaunchCheck, FirstRunEverStoresTheVersionTodayAndOneLaunch) {
    FakeSystem system;
    checkLaunch(system);

    EXPECT_EQ(system.events, (std::vector<std::string>{
                                 "set kRatingPromptCurrentVersion 2.3",
                                 setDate(startOfTime),
                                 "set kRatingPromptLaunchCount 1",
                                 "sync",
                             }));
    EXPECT_TRUE(system.mainQueue.empty());
}

TEST(LaunchCheck, ElapsedTimeMustBeStrictlyGreaterThanThreeDays) {
    FakeSystem exactly;
    exactly.inUse(6, 259'200);
    checkLaunch(exactly);
    EXPECT_TRUE(exactly.mainQueue.empty());
    EXPECT_EQ(exactly.probes(), 0u);
    EXPECT_EQ(exactly.count(), 7);

    FakeSystem oneSecondMore;
    oneSecondMore.inUse(6, 259'201);
    checkLaunch(oneSecondMore);
    EXPECT_EQ(oneSecondMore.probes(), 1u);
    ASSERT_EQ(oneSecondMore.mainQueue.size(), 1u);
    EXPECT_EQ(oneSecondMore.count(), 7);
    // The store is written through before the check ends, after the prompt was scheduled.
    EXPECT_EQ(oneSecondMore.events.back(), "sync");
}

TEST(LaunchCheck, CountReadBeforeTheIncrementMustReachSix) {
    FakeSystem system;
    system.inUse(5, 30 * oneDay);
    checkLaunch(system);
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.probes(), 0u);
    EXPECT_EQ(system.count(), 6);

    // The next launch reads 6: the seventh counted launch is the first that may prompt.
    checkLaunch(system);
    EXPECT_EQ(system.mainQueue.size(), 1u);
    EXPECT_EQ(system.count(), 7);
}

TEST(LaunchCheck, RatedOrDeclinedVersionIsNeverProbedNorPrompted) {
    for (auto key : {"kRatingPromptRatedCurrentVersion", "kRatingPromptDeclinedToRate"}) {
        FakeSystem system;
        system.inUse(50, 100 * oneDay);
        system.store[key] = true;
        checkLaunch(system);
        EXPECT_TRUE(system.mainQueue.empty()) << key;
        EXPECT_EQ(system.probes(), 0u) << key;
        EXPECT_EQ(system.count(), 51) << key;
    }
}

TEST(LaunchCheck, MissingLaunchDateStartsTheDaysToday) {
    FakeSystem system;
    system.inUse(30, 0);
    system.store.erase("kRatingPromptLaunchDate");
    checkLaunch(system);
    EXPECT_EQ(std::get<double>(system.store.at("kRatingPromptLaunchDate")), startOfTime);
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.probes(), 0u);
    EXPECT_EQ(system.count(), 31);
}

TEST(LaunchCheck, NewVersionResetsEverythingAndNeverPromptsThatLaunch) {
    FakeSystem system;
    system.inUse(40, 90 * oneDay);
    system.store["kRatingPromptCurrentVersion"] = std::string("2.2");
    system.store["kRatingPromptRatedCurrentVersion"] = true;
    system.store["kRatingPromptDeclinedToRate"] = true;
    checkLaunch(system);

    EXPECT_EQ(system.events, (std::vector<std::string>{
                                 "set kRatingPromptCurrentVersion 2.3",
                                 setDate(startOfTime),
                                 "set kRatingPromptLaunchCount 1",
                                 "set kRatingPromptRatedCurrentVersion false",
                                 "set kRatingPromptDeclinedToRate false",
                                 "sync",
                             }));
    EXPECT_TRUE(system.mainQueue.empty());

    // Counting goes on from the fresh date.
    system.now += oneDay;
    checkLaunch(system);
    EXPECT_EQ(system.count(), 2);
    EXPECT_EQ(std::get<double>(system.store.at("kRatingPromptLaunchDate")), startOfTime);
}

TEST(LaunchCheck, WithoutAnApplicationVersionEveryLaunchIsAVersionChange) {
    FakeSystem system;
    system.inUse(40, 90 * oneDay);
    system.version.reset();
    for (int launch = 0; launch < 3; ++launch) {
        system.events.clear();
        checkLaunch(system);
        EXPECT_EQ(system.count(), 1);
        EXPECT_FALSE(system.store.contains("kRatingPromptCurrentVersion"));
        EXPECT_EQ(system.countEvents("set kRatingPromptRatedCurrentVersion false"), 1u);
    }
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.probes(), 0u);

    // An environment that cannot tell the version at all behaves the same.
    FakeSystem noVersionFunction;
    auto environment = noVersionFunction.environment();
    environment->applicationVersion = nullptr;
    std::make_shared<RatingPrompt>(environment)->_appLaunched();
    std::make_shared<RatingPrompt>(environment)->_appLaunched();
    EXPECT_EQ(noVersionFunction.count(), 1);
}
