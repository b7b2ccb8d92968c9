#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

using torvane::app::parseCommandLine;

namespace {

torvane::app::CommandLine parse(std::vector<const char*> arguments) {
    return parseCommandLine(arguments);
}

} // namespace

TEST(CommandLine, NoArgumentsStartsAWindowWithDefaults) {
    auto result = parse({});
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result.options.headless);
    EXPECT_FALSE(result.options.screen.has_value());
    EXPECT_FALSE(result.options.storeFile.has_value());
}

TEST(CommandLine, ReadsEveryOption) {
    auto result =
        parse({"--headless", "--fullscreen", "--screen", "320x480", "--store", "s.json", "--machine",
               "iPhone2,1", "--script", "run.txt", "--trace=t.jsonl", "--leds", "/tmp/leds"});
    ASSERT_TRUE(result.ok()) << result.error;
    const auto& options = result.options;
    EXPECT_TRUE(options.headless);
    EXPECT_TRUE(options.fullscreen);
    ASSERT_TRUE(options.screen.has_value());
    EXPECT_EQ(options.screen->width, 320);
    EXPECT_EQ(options.screen->height, 480);
    EXPECT_EQ(options.storeFile, "s.json");
    EXPECT_EQ(options.machine, "iPhone2,1");
    EXPECT_EQ(options.scriptFile, "run.txt");
    EXPECT_EQ(options.traceFile, "t.jsonl");
    EXPECT_EQ(options.ledsFolder, "/tmp/leds");
}

TEST(CommandLine, AnEmptyModelIsAModel) {
    auto result = parse({"--machine", ""});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.options.machine, "");
}

TEST(CommandLine, BadCommandLinesGetOneClearMessage) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> bad = {
        {{"--window"}, "unknown option '--window'"},
        {{"headless"}, "unknown option 'headless'"},
        {{"--store"}, "--store needs a value"},
        {{"--trace="}, "--trace needs a value"},
        {{"--headless=yes"}, "--headless takes no value"},
        {{"--screen", "320"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "320x"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "0x480"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "-320x480"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "320x480x2"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "99999999999x480"}, "--screen wants WIDTHxHEIGHT"},
    };
    for (const auto& [arguments, message] : bad) {
        auto result = parse(arguments);
        EXPECT_FALSE(result.ok()) << arguments[0];
        EXPECT_NE(result.error.find(message), std::string::npos) << result.error;
        EXPECT_TRUE(result.error.starts_with("torvane: ")) << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
    }
}
