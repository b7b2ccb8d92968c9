#include "app/ScriptParser.h"

#include <gtest/gtest.h>

using torvane::app::parseScript;
using Kind = torvane::platform::ScriptCommand::Kind;

TEST(ScriptParser, ReadsEveryCommandAndSkipsBlankAndCommentLines) {
    auto parsed = parseScript("# the opening sequence\n"
                              "\n"
                              "wait 0.25\n"
                              "   \t\n"
                              "  # indented comment\n"
                              "tap 100.5 300\r\n"
                              "alert 0\n"
                              "shot out/stage-1.png\n"
                              "wait 2\n"
                              "quit");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.script.size(), 6u);
    EXPECT_EQ(parsed.script[0].kind, Kind::Wait);
    EXPECT_EQ(parsed.script[0].seconds, 0.25);
    EXPECT_EQ(parsed.script[0].line, 3);
    EXPECT_EQ(parsed.script[1].kind, Kind::Tap);
    EXPECT_EQ(parsed.script[1].point.x, 100.5f);
    EXPECT_EQ(parsed.script[1].point.y, 300.0f);
    EXPECT_EQ(parsed.script[1].line, 6);
    EXPECT_EQ(parsed.script[2].kind, Kind::Alert);
    EXPECT_EQ(parsed.script[2].index, 0);
    EXPECT_EQ(parsed.script[3].kind, Kind::Shot);
    EXPECT_EQ(parsed.script[3].file, "out/stage-1.png");
    EXPECT_EQ(parsed.script[4].seconds, 2.0);
    EXPECT_EQ(parsed.script[5].kind, Kind::Quit);
}

TEST(ScriptParser, AnEmptyScriptIsGood) {
    auto parsed = parseScript("# nothing\n\n");
    EXPECT_TRUE(parsed.ok());
    EXPECT_TRUE(parsed.script.empty());
}

// Any bad line fails the whole script, naming its line, before anything can run.
TEST(ScriptParser, ABadLineFailsTheScriptWithItsLineNumber) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"jump 1", "unknown command 'jump'"},
        {"Wait 1", "unknown command 'Wait'"},
        {"wait", "wait takes one number"},
        {"wait -1", "from 0 up"},
        {"wait 1s", "from 0 up"},
        {"wait nan", "from 0 up"},
        {"wait 1 2", "wait takes one number"},
        {"tap 10", "tap takes two numbers"},
        {"tap 10 x", "tap takes two numbers"},
        {"tap 1 2 3", "tap takes two numbers"},
        {"tap inf 2", "tap takes two numbers"},
        {"alert", "alert takes one button index"},
        {"alert -1", "alert takes one button index"},
        {"alert 1.5", "alert takes one button index"},
        {"shot", "shot takes one file name ending in .png"},
        {"shot picture.jpg", "ending in .png"},
        {"shot .png", "ending in .png"},
        {"quit now", "quit takes nothing"},
    };
    for (const auto& [line, message] : bad) {
        auto parsed = parseScript("wait 1\n# fine so far\n" + line + "\nquit\n", "run.txt");
        EXPECT_FALSE(parsed.ok()) << line;
        EXPECT_TRUE(parsed.script.empty()) << line;
        EXPECT_TRUE(parsed.error.starts_with("run.txt:3: ")) << parsed.error;
        EXPECT_NE(parsed.error.find(message), std::string::npos) << parsed.error;
    }
}

TEST(ScriptParser, AScriptThatCannotBeReadIsAnError) {
    auto parsed = torvane::app::parseScriptFile("/nonexistent/torvane/script.txt");
    EXPECT_FALSE(parsed.ok());
    EXPECT_NE(parsed.error.find("/nonexistent/torvane/script.txt"), std::string::npos);
}
