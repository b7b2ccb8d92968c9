// Two platform contexts in one process, each with a rating check whose probe is still waiting on
// a server that never answers when the contexts end: each context stops its own work, nothing is
// shared between them, and nothing outlives what it uses (the sanitizers watch the last part).

#include "app/RatingWiring.h"
#include "rating/RatingLaunches.h"

#include "../devices/LoopbackServer.h"
#include "../support/TestContext.h"
#include "WiredStart.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono;

// A store whose rating prompt is due at the next launch: the check goes on to the probe.
void promptDue(torvane::platform::SettingsStore& store) {
    double fourDaysAgo = duration<double>(system_clock::now().time_since_epoch()).count() - 4 * 86400;
    store.setObject("2.3", "kRatingPromptCurrentVersion");
    store.setDouble(fourDaysAgo, "kRatingPromptLaunchDate");
    store.setInteger(6, "kRatingPromptLaunchCount");
}

struct RunningApplication {
    TestContext test;
    torvane::platform::MainLoop loop{test.context.mainLoopParts(), {}};
    torvane::rating::RatingLaunches ratingPrompt{torvane::app::ratingEnvironment(test.context, loop),
                                                 test.context.work};
};

} // namespace

TEST(TwoContexts, EndWithTheirRatingChecksStillWaitingOnTheProbe) {
    LoopbackServer silent(LoopbackServer::Answer::Never);
    TemporaryFolder net;
    net.write("route", "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n"
                       "tvtest0\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
    ScopedVariable routes("TORVANE_PROC_NET", net.path().string());
    ScopedVariable probeHost("TORVANE_PROBE_HOST", loopbackHost(silent.port()));
    ScopedVariable version("TORVANE_VERSION", "2.3");

    auto began = steady_clock::now();
    {
        RunningApplication first;
        RunningApplication second;
        promptDue(first.test.context.settings);
        promptDue(second.test.context.settings);
        first.ratingPrompt.appLaunched();
        second.ratingPrompt.appLaunched();
        first.ratingPrompt.waitForChecks();
        second.ratingPrompt.waitForChecks();
        // The server takes one connection at a time: the other probe waits in its backlog.
        for (auto waited = steady_clock::now(); silent.requests().empty();) {
            ASSERT_LT(steady_clock::now() - waited, seconds(10)) << "the probes never arrived";
            std::this_thread::sleep_for(milliseconds(10));
        }
        EXPECT_EQ(first.test.context.settings.integerForKey("kRatingPromptLaunchCount"), 7);
        EXPECT_EQ(second.test.context.settings.integerForKey("kRatingPromptLaunchCount"), 7);
        // The checks have ended (their threads may still be returning); the probes' requests wait.
        for (auto waited = steady_clock::now();
             first.test.context.work.running() + second.test.context.work.running() > 2;) {
            ASSERT_LT(steady_clock::now() - waited, seconds(10)) << "a check never ended";
            std::this_thread::sleep_for(milliseconds(10));
        }
        EXPECT_EQ(first.test.context.work.running(), 1u) << "the probe's request is still waiting";
        EXPECT_EQ(second.test.context.work.running(), 1u);
    }
    // Ended by their stop, not by the probe's 20-second time-out.
    EXPECT_LT(steady_clock::now() - began, seconds(15));
}
