#include "platform/core/Trace.h"
#include "platform/core/Clock.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace torvane::platform;

TEST(Trace, WritesOneJSONObjectALineOnTheVirtualClock) {
    TemporaryFolder folder;
    Clock clock(ClockMode::Virtual);
    Trace trace(clock);
    ASSERT_TRUE(trace.open((folder / "trace.jsonl").string()));
    EXPECT_TRUE(trace.isOpen());
    clock.advance(1.25);
    trace.record("view.image", {{"view", "imageLensView"}, {"image", std::optional<std::string>{}}});
    trace.log("y->300.000 x->100.500");
    trace.record("odd", {{"text", std::string("a\"b\\\x01\n")}, {"n", 2.5}, {"flag", true}});
    EXPECT_TRUE(trace.close());
    EXPECT_FALSE(trace.isOpen());

    EXPECT_EQ(folder.read("trace.jsonl"),
              "{\"t\":1.250,\"op\":\"view.image\",\"view\":\"imageLensView\",\"image\":null}\n"
              "{\"t\":1.250,\"op\":\"log\",\"line\":\"y->300.000 x->100.500\"}\n"
              "{\"t\":1.250,\"op\":\"odd\",\"text\":\"a\\\"b\\\\\\u0001\\n\",\"n\":2.5,\"flag\":true}\n");
}

// A full disk must not pass for a complete trace: the caller says the trace is incomplete.
TEST(Trace, CloseTellsThatALineCouldNotBeWritten) {
    Clock clock;
    Trace trace(clock);
    ASSERT_TRUE(trace.open("/dev/full"));
    trace.record("view.image", {{"view", "imageLensView"}});
    EXPECT_FALSE(trace.close());
    // A trace that cannot be opened stays closed.
    EXPECT_FALSE(trace.open("/nonexistent-folder/trace.jsonl"));
    EXPECT_FALSE(trace.isOpen());
}
