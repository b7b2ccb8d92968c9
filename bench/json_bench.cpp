// json_bench: parse-to-tree and tree-to-text throughput of Torvane's JSON library next to RapidJSON,
// nlohmann::json and simdjson, on the standard files, in one run on one machine.
//
//     json_bench [DIRECTORY] [--seconds S] [--rounds N]
//
// DIRECTORY holds twitter.json, citm_catalog.json and canada.json (default: bench/data in the
// source tree). Each figure is the best of batches of calls, repeated for S seconds
// (default 0.4) in each of N rounds (default 3): the best is the least disturbed by other work on
// the machine. The last lines are the summary, one per file:
//     ratio FILE read=R1 write=R2 nlohmann_read=R3
// R1 and R2 are Torvane's throughput divided by RapidJSON's, R3 Torvane's read throughput divided by
// nlohmann::json's; a higher ratio is faster.

#include "foundation/Arena.h"
#include "foundation/Error.h"
#include "json/JSON.h"

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the optimiser from dropping work whose result is otherwise unused.
volatile std::size_t sink;

double secondsPerFigure = 0.4;
int rounds = 3;

// The best time of one call of `work`, in seconds, from batches of at least 20 ms each.
template <typename Work>
double bestSeconds(Work&& work) {
    work();
    double best = 1e30;
    auto deadline = Clock::now() + std::chrono::duration<double>(secondsPerFigure);
    do {
        int calls = 0;
        auto start = Clock::now();
        auto now = start;
        do {
            work();
            ++calls;
            now = Clock::now();
        } while (now - start < std::chrono::milliseconds(20));
        best = std::min(best, std::chrono::duration<double>(now - start).count() / calls);
    } while (Clock::now() < deadline);
    return best;
}

struct Throughput {
    double read{0};
    double write{0};
};

void keepBest(Throughput& best, const Throughput& round) {
    best.read = std::max(best.read, round.read);
    best.write = std::max(best.write, round.write);
}

double megabytesPerSecond(std::size_t bytes, double seconds) {
    return double(bytes) / seconds / 1e6;
}

Throughput measureTorvane(const std::string& text, std::size_t& treeBytes) {
    Throughput result;
    torvane::Data data = torvane::Data::copy(text);
    result.read = megabytesPerSecond(text.size(), bestSeconds([&] {
                                         torvane::Error error;
                                         sink = torvane::JSONDeserializer::deserialize(data, &error).count();
                                     }));
    torvane::Error error;
    torvane::Value tree = torvane::JSONDeserializer::deserialize(data, &error);
    if (!tree) {
        std::fprintf(stderr, "json_bench: Torvane cannot read the file: %s %ld\n", error.domain.c_str(),
                     error.code);
        std::exit(1);
    }
    treeBytes = tree.arena()->bytesReserved();
    auto serializer = torvane::JSONDataSerializer::serializer();
    result.write = megabytesPerSecond(text.size(),
                                      bestSeconds([&] { sink = serializer.serializeObject(tree).length(); }));
    return result;
}

Throughput measureRapidJSON(const std::string& text) {
    Throughput result;
    result.read =
        megabytesPerSecond(text.size(), bestSeconds([&] {
                               rapidjson::Document document;
                               document.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
                               sink = document.IsObject();
                           }));
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
    result.write = megabytesPerSecond(text.size(), bestSeconds([&] {
                                          rapidjson::StringBuffer buffer;
                                          rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
                                          document.Accept(writer);
                                          sink = buffer.GetSize();
                                      }));
    return result;
}

Throughput measureNlohmann(const std::string& text) {
    Throughput result;
    result.read =
        megabytesPerSecond(text.size(), bestSeconds([&] { sink = nlohmann::json::parse(text).size(); }));
    auto document = nlohmann::json::parse(text);
    result.write = megabytesPerSecond(text.size(), bestSeconds([&] { sink = document.dump().size(); }));
    return result;
}

Throughput measureSimdjson(const std::string& text) {
    Throughput result;
    simdjson::padded_string padded(text);
    // The parser is simdjson's reusable document store; keeping it between parses is its intended use.
    simdjson::dom::parser parser;
    result.read = megabytesPerSecond(text.size(), bestSeconds([&] {
                                         simdjson::dom::element root;
                                         sink = parser.parse(padded).get(root) == simdjson::SUCCESS;
                                     }));
    simdjson::dom::element root = parser.parse(padded);
    result.write =
        megabytesPerSecond(text.size(), bestSeconds([&] { sink = simdjson::to_string(root).size(); }));
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "json_bench: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(file), {}};
}

void printRow(const char* file, const char* library, const Throughput& figures) {
    auto cell = [](double value) {
        char text[32];
        if (value > 0)
            std::snprintf(text, sizeof text, "%10.1f", value);
        else
            std::snprintf(text, sizeof text, "%10s", "n/a");
        return std::string(text);
    };
    std::printf("%-18s %-10s %s %s\n", file, library, cell(figures.read).c_str(),
                cell(figures.write).c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::string directory = TORVANE_BENCH_JSON_DIR;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--seconds" && i + 1 < argc)
            secondsPerFigure = std::atof(argv[++i]);
        else if (argument == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            directory = argument;
    }

    std::printf("json_bench: build type %s, simdjson kernel %s, best of %d rounds of %.1f s per figure\n",
                TORVANE_BUILD_TYPE, simdjson::get_active_implementation()->name().c_str(), rounds,
                secondsPerFigure);
    std::printf("%-18s %-10s %10s %10s   (MB/s of the file's size)\n", "file", "library", "read", "write");

    const char* files[] = {"twitter.json", "citm_catalog.json", "canada.json"};
    std::vector<std::string> summary;
    std::string memory;
    for (const char* file : files) {
        std::string text = readFile(directory + "/" + file);
        std::size_t treeBytes = 0;
        Throughput torvane, rapid, nlohmann, simd;
        // Rounds interleave the libraries, so that a burst of other work on the machine cannot
        // favour one of them; each figure is its best round.
        for (int round = 0; round < rounds; ++round) {
            keepBest(torvane, measureTorvane(text, treeBytes));
            keepBest(rapid, measureRapidJSON(text));
            keepBest(nlohmann, measureNlohmann(text));
            keepBest(simd, measureSimdjson(text));
        }
        printRow(file, "torvane", torvane);
        printRow(file, "rapidjson", rapid);
        printRow(file, "nlohmann", nlohmann);
        printRow(file, "simdjson", simd);

        char line[160];
        std::snprintf(line, sizeof line, "ratio %s read=%.2f write=%.2f nlohmann_read=%.2f", file,
                      torvane.read / rapid.read, torvane.write / rapid.write, torvane.read / nlohmann.read);
        summary.emplace_back(line);
        if (std::string(file) == "twitter.json") {
            std::snprintf(line, sizeof line, "memory %s tree=%zu bytes file=%zu bytes (%.2f times the file)",
                          file, treeBytes, text.size(), double(treeBytes) / double(text.size()));
            memory = line;
        }
    }
    std::printf("%s\n", memory.c_str());
    for (const auto& line : summary)
        std::printf("%s\n", line.c_str());
    return 0;
}
