#include "platform/core/BackgroundWork.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace torvane::platform;

// Nothing is shared between contexts: a test's context cannot see another's values or trace.
TEST(Context, TwoContextsInOneProcessAreIndependent) {
    TestContext first;
    TestContext second;
    first.startTrace();
    second.startTrace();
    first.context.settings.setObject("white", "lens_type");
    first.context.clock.setMode(ClockMode::Virtual);
    first.context.clock.advance(5);
    EXPECT_TRUE(first.context.needsDisplay.take());
    first.stopTrace();
    second.stopTrace();

    EXPECT_EQ(first.context.settings.stringForKey("lens_type"), "white");
    EXPECT_EQ(second.context.settings.stringForKey("lens_type"), std::nullopt);
    EXPECT_EQ(first.traceLines().size(), 1U);
    EXPECT_TRUE(second.traceLines().empty());
    EXPECT_NE(second.context.clock.mode(), ClockMode::Virtual);
    EXPECT_TRUE(second.context.needsDisplay.isSet());
}

TEST(BackgroundWork, StopAllJoinsAJobWaitingOnItsTokenAndRefusesLaterStarts) {
    BackgroundWork work;
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    ASSERT_TRUE(work.start([&](std::stop_token stop) {
        started = true;
        while (!stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ended = true;
    }));
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(work.running(), 1U);
    work.stopAll();
    EXPECT_TRUE(ended);
    EXPECT_EQ(work.running(), 0U);

    bool ran = false;
    EXPECT_FALSE(work.start([&ran](std::stop_token) { ran = true; }));
    work.stopAll();
    EXPECT_FALSE(ran);
}
