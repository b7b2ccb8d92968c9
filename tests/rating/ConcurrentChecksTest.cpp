// Launches checked on threads of the background work: one check at a time, in the order of the
// calls, so that overlapping launches lose no count; and none outlives the work.

#include "FakeSystem.h"
#include "rating/RatingLaunches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <numeric>

using namespace torvane::rating;
using namespace torvane::rating::test;
using torvane::platform::BackgroundWork;

TEST(ConcurrentChecks, ManyLaunchesAtOnceLoseNoCount) {
    FakeSystem system;
    system.inUse(100, 0);
    system.slowStore = true;
    BackgroundWork work;
    RatingLaunches launches(system.environment(), work);
    for (int launch = 0; launch < 50; ++launch)
        launches.appLaunched();
    launches.waitForChecks();

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

    BackgroundWork work;
    RatingLaunches launches(nullptr, work);
    constexpr int count = 20;
    for (int launch = 0; launch < count; ++launch) {
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
        launches.appLaunched(environment);
    }
    launches.waitForChecks();

    std::vector<int> called(count);
    std::iota(called.begin(), called.end(), 0);
    EXPECT_EQ(order, called);
    EXPECT_EQ(mostRunning, 1);
    EXPECT_EQ(system.count(), count);
}

TEST(ConcurrentChecks, DuePromptWaitsInTheMainQueueOnceTheChecksHaveEnded) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    BackgroundWork work;
    RatingLaunches launches(system.environment(), work);
    launches.appLaunched();
    launches.waitForChecks();
    ASSERT_EQ(system.mainQueue.size(), 1u);
    system.runMainQueue();
    EXPECT_EQ(system.alerts.size(), 1u);
}

TEST(ConcurrentChecks, WithoutAnEnvironmentALaunchIsIgnored) {
    BackgroundWork work;
    RatingLaunches launches(nullptr, work);
    launches.appLaunched();
    launches.waitForChecks();
    EXPECT_EQ(work.running(), 0u);
}

TEST(ConcurrentChecks, AFailingCheckIsLoggedAndDoesNotHoldUpTheNext) {
    FakeSystem broken;
    auto environment = broken.environment();
    environment->stringForKey = nullptr;
    FakeSystem healthy;
    BackgroundWork work;
    RatingLaunches launches(healthy.environment(), work);
    launches.appLaunched(environment);
    launches.appLaunched();
    launches.waitForChecks();

    EXPECT_EQ(broken.countEvents("log rating: launch check failed: "), 1u);
    EXPECT_EQ(healthy.count(), 1);
}

TEST(ConcurrentChecks, StoppedWorkDropsTheChecksStillWaitingAndRefusesNewOnes) {
    FakeSystem system;
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    auto environment = system.environment();
    // The first check holds its turn until the gate opens, so the others wait behind it.
    environment->applicationVersion = [opened]() -> std::optional<std::string> {
        opened.wait();
        return "2.3";
    };
    BackgroundWork work;
    {
        RatingLaunches launches(environment, work);
        for (int launch = 0; launch < 3; ++launch)
            launches.appLaunched();
        std::thread opener([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            gate.set_value();
        });
        work.stopAll();
        opener.join();
        launches.waitForChecks(); // returns: the line was abandoned, not served
        launches.appLaunched();
    }
    EXPECT_LE(system.countEvents("sync"), 1u) << "at most the check that had its turn ran";
    EXPECT_EQ(system.countEvents("log rating: could not start a thread"), 1u);
}
