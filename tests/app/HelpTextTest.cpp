// --help, the README and the man page describe one command line: an option or variable that one
// of them names and another lacks is a document out of step.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string readSource(const std::string& relativePath) {
    std::ifstream file(std::string(TORVANE_SOURCE_DIR) + "/" + relativePath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> namesIn(const std::string& text) {
    static const std::regex name(R"(--[a-z]+|\bTORVANE_[A-Z_]+|\bXDG_CONFIG_HOME\b)");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), name); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    return names;
}

} // namespace

TEST(HelpText, EveryOptionAndVariableIsInTheReadmeAndTheManPage) {
    auto help = namesIn(torvane::app::helpText());
    ASSERT_TRUE(help.contains("--leds"));
    ASSERT_TRUE(help.contains("TORVANE_INSTALL_HOST"));
    for (const char* document : {"README.md", "data/torvane.1.scd"}) {
        auto text = readSource(document);
        ASSERT_FALSE(text.empty()) << document;
        auto named = namesIn(text);
        for (const auto& name : help)
            EXPECT_TRUE(named.contains(name)) << name << " is missing from " << document;
    }
    // The man page names every option and variable that --help does not forget either.
    for (const auto& name : namesIn(readSource("data/torvane.1.scd")))
        EXPECT_TRUE(help.contains(name)) << name << " is in the man page but not in --help";
}
