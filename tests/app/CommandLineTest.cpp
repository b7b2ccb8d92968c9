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
        {{"--screen", "159x480"}, "--screen wants WIDTHxHEIGHT"},
        {{"--screen", "320x239"}, "--screen wants WIDTHxHEIGHT"},
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

TEST(CommandLine, AnOptionIsNeverTakenAsTheValueBeforeIt) {
    auto result = parse({"--store", "--machine", "X"});
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find("--store needs a value"), std::string::npos) << result.error;

    // After "=" the user said it is the value.
    result = parse({"--store=--odd-name.json"});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.options.storeFile, "--odd-name.json");
    // A single dash is a value (a file named "-" or a negative-looking model).
    result = parse({"--machine", "-x"});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.options.machine, "-x");
}

TEST(CommandLine, AcceptsAnyScreenShapeFromTheSmallestUp) {
    for (const char* shape : {"160x240", "720x360", "412x915"}) {
        auto result = parse({"--screen", shape});
        EXPECT_TRUE(result.ok()) << shape << ": " << result.error;
    }
}

TEST(CommandLine, MessagesQuoteAtMostEightyCharactersOfTheInput) {
    std::string longOption = "--" + std::string(500, 'w');
    auto result = parse({longOption.c_str()});
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.error.find("'--" + std::string(78, 'w') + "...'"), std::string::npos) << result.error;
    EXPECT_LT(result.error.size(), 120u);

    std::string longScreen(200, '9');
    result = parse({"--screen", longScreen.c_str()});
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.error.find("'" + std::string(80, '9') + "...'"), std::string::npos) << result.error;
}

TEST(CommandLine, QuotingKeepsCharactersWholeAndTheMessageOnOneLine) {
    using torvane::app::quotedInput;
    EXPECT_EQ(quotedInput(""), "''");
    EXPECT_EQ(quotedInput(std::string(80, 'a')), "'" + std::string(80, 'a') + "'");
    std::string euros;
    for (int i = 0; i < 81; ++i)
        euros += "\xe2\x82\xac"; // three bytes each
    std::string eighty;
    for (int i = 0; i < 80; ++i)
        eighty += "\xe2\x82\xac";
    EXPECT_EQ(quotedInput(euros), "'" + eighty + "...'");
    EXPECT_EQ(quotedInput("a\nb\x1b[2J"), "'a?b?[2J'");
    // A truncated sequence at the end neither reads past the text nor disappears.
    EXPECT_EQ(quotedInput("ab\xe2\x82"), "'ab\xe2\x82'");
}

TEST(CommandLine, HelpAndVersionAreFlags) {
    auto result = parse({"--version"});
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.options.version);
    EXPECT_TRUE(torvane::app::versionText().starts_with("torvane "));
    result = parse({"-h"});
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.options.help);
    EXPECT_FALSE(parse({"--version=2"}).ok());
}
