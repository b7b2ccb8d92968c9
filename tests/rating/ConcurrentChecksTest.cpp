// Launches checked on their own threads: one check at a time, in the order of the calls, so that
// overlapping launches lose no count.

#include "FakeSystem.h"
#include "rating/RatingPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace torvane::rating;
using namespace torvane::rating::test;

TEST(ConcurrentChecks, ManyLaunchesAtOnceLoseNoCount) {
    FakeSystem system;
    system.inUse(100, 0);
    system.slowStore = true;
    auto environment = system.environment();
    for (int launch = 0; launch < 50; ++launch)
        RatingPrompt::appLaunched(environment);
    RatingPrompt::waitForChecks();

    EXPECT_EQ(system.count(), 150);
    EXPECT_EQ(system.countEvents("sync"), 50u);
}

TEST(ConcurrentChecks, RunOneAtATimeInTheOrderCalled) {
    FakeSystem system;
    system.slowStore = true;
    std::mutex mutex;
    std::vector<int> order;
    int running = 0;
    int mostRunning = 0;

    constexpr int launches = 20;
    for (int launch = 0; launch < launches; ++launch) {
        // Each call gets an environment that tells which call a check belongs to.
        auto environment = system.environment();
        environment->applicationVersion = [&, launch]() -> std::optional<std::string> {
            std::lock_guard lock(mutex);
            order.push_back(launch);
            mostRunning = std::max(mostRunning, ++running);
            return "2.3";
        };
        auto synchronize = environment->synchronize;
        environment->synchronize = [&, synchronize] {
            synchronize();
            std::lock_guard lock(mutex);
            --running;
        };
        RatingPrompt::appLaunched(environment);
    }
    RatingPrompt::waitForChecks();

    std::vector<int> called(launches);
    std::iota(called.begin(), called.end(), 0);
    EXPECT_EQ(order, called);
    EXPECT_EQ(mostRunning, 1);
    EXPECT_EQ(system.count(), launches);
}

TEST(ConcurrentChecks, DuePromptWaitsInTheMainQueueOnceTheChecksHaveEnded) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    RatingPrompt::appLaunched(system.environment());
    RatingPrompt::waitForChecks();
    ASSERT_EQ(system.mainQueue.size(), 1u);
    system.runMainQueue();
    EXPECT_EQ(system.alerts.size(), 1u);
}

TEST(ConcurrentChecks, InstalledEnvironmentServesLaunchesWithoutArguments) {
    RatingPrompt::setEnvironment(nullptr);
    RatingPrompt::appLaunched(); // nothing to count with: ignored
    RatingPrompt::waitForChecks();

    FakeSystem system;
    RatingPrompt::setEnvironment(system.environment());
    RatingPrompt::appLaunched();
    RatingPrompt::appLaunched();
    RatingPrompt::waitForChecks();
    RatingPrompt::setEnvironment(nullptr);
    EXPECT_EQ(system.count(), 2);
}

TEST(ConcurrentChecks, AFailingCheckIsLoggedAndDoesNotHoldUpTheNext) {
    FakeSystem broken;
    auto environment = broken.environment();
    environment->stringForKey = nullptr;
    RatingPrompt::appLaunched(environment);

    FakeSystem healthy;
    RatingPrompt::appLaunched(healthy.environment());
    RatingPrompt::waitForChecks();

    EXPECT_EQ(broken.countEvents("log rating: launch check failed: "), 1u);
    EXPECT_EQ(healthy.count(), 1);
}
