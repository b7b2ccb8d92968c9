// Reads every file of JSONTestSuite's parsing tests. None may crash, hang or trip a sanitizer,
// whatever its verdict; every y_ file must give the value that a strict reader gives, except
// where the grammar here differs on purpose (listed below).

#include "../../tools/torvane-json/CanonicalJSON.h"
#include "ScannerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

namespace torvane {
namespace {

const std::filesystem::path suite = TORVANE_SOURCE_DIR "/tests/data/JSONTestSuite/test_parsing";

// y_ files whose value here differs from a strict reader's, each with its reason. None do at
// present: the differences of the grammar (prefix words, trailing commas, plus-less numbers,
// text after the value) only widen what is accepted, which the n_ files exercise.
const std::map<std::string, std::string> grammarExceptions = {};

std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// File name -> canonical value, as Python's json module reads the y_ files.
std::map<std::string, std::string> strictValues() {
    std::ifstream table(TORVANE_SOURCE_DIR "/tests/json/JSONTestSuiteValues.txt");
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(table, line)) {
        auto space = line.find(' ');
        values[line.substr(0, space)] = line.substr(space + 1);
    }
    return values;
}

TEST(JSONTestSuite, AcceptedFilesGiveTheStrictValue) {
    auto expected = strictValues();
    ASSERT_GT(expected.size(), 90u);
    for (const auto& [name, value] : expected) {
        if (grammarExceptions.contains(name))
            continue;
        Error error;
        Value read = JSONDeserializer::deserialize(Data::copy(contents(suite / name)), &error);
        EXPECT_EQ(tool::canonical(read), value) << name << ": " << error.localizedDescription();
    }
}

TEST(JSONTestSuite, EveryFileReadsWithoutHarm) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(suite)) {
        Data data = Data::copy(contents(entry.path()));
        Error error;
        Value value = JSONDeserializer::deserialize(data, &error);
        // Whatever came back must be whole enough to print.
        (void)tool::canonical(value);
        (void)JSONDeserializer::deserializeAsArray(data, nullptr);
        (void)JSONDeserializer::deserializeAsDictionary(data, nullptr);
        ++files;
    }
    EXPECT_GT(files, 300u);
}

TEST(JSONTestSuite, TheMendedFaultsRejectTheirFiles) {
    // A few rejected files that the reader once read wrongly or not at all.
    const std::map<std::string, long> failures = {
        {"n_structure_100000_opening_arrays.json", JSONScanner::nestingTooDeep},
        {"n_string_unescaped_tab.json", 0}, // raw control characters are accepted here
        {"n_array_extra_comma.json", 0},    // trailing commas are accepted here
        {"n_string_invalid_utf8_after_escape.json", JSONScanner::arrayValueFailed},
        {"n_structure_unclosed_array.json", JSONScanner::arrayNoComma},
        {"n_array_double_extra_comma.json", JSONScanner::arrayValueFailed},
    };
    for (const auto& [name, code] : failures) {
        Error error;
        Value value = JSONDeserializer::deserialize(Data::copy(contents(suite / name)), &error);
        EXPECT_EQ(error.code, code) << name;
        EXPECT_EQ(value.isNone(), code != 0) << name;
    }
}

} // namespace
} // namespace torvane
