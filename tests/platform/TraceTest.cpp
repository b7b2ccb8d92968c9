#include "platform/core/Trace.h"
#include "platform/core/Clock.h"
#include "platform/core/ConsoleLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace torvane::platform;

TEST(Trace, WritesOneJSONObjectALineOnTheVirtualClock) {
    auto path = std::filesystem::temp_directory_path() / "torvane-trace-test.jsonl";
    setClockMode(ClockMode::Virtual);
    ASSERT_TRUE(openTrace(path));
    advanceVirtualClock(1.25);
    trace("view.image", {{"view", "imageLensView"}, {"image", std::optional<std::string>{}}});
    consoleLog("y->300.000 x->100.500");
    trace("odd", {{"text", std::string("a\"b\\\x01\n")}, {"n", 2.5}, {"flag", true}});
    closeTrace();

    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    EXPECT_EQ(contents.str(),
              "{\"t\":1.250,\"op\":\"view.image\",\"view\":\"imageLensView\",\"image\":null}\n"
              "{\"t\":1.250,\"op\":\"log\",\"line\":\"y->300.000 x->100.500\"}\n"
              "{\"t\":1.250,\"op\":\"odd\",\"text\":\"a\\\"b\\\\\\u0001\\n\",\"n\":2.5,\"flag\":true}\n");
    std::filesystem::remove(path);
}
