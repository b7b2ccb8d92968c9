// json_bench: parse-to-tree and tree-to-text throughput, and the memory each tree holds, of
// Torvane's JSON library next to RapidJSON, nlohmann::json and simdjson, in one run on one machine.
//
//     json_bench [DIRECTORY] [--seconds S] [--rounds N] [--save FOLDER]
//
// DIRECTORY holds twitter.json, citm_catalog.json and canada.json (default: bench/data in the
// source tree). Three more texts are generated at start from a fixed seed, the same on every run:
//     strings.json    strings with escapes and non-ASCII text (about 5 MB)
//     nested.json     documents nested 500 deep (about 5 MB)
//     integers.json   an array of a million small integers
// --save writes the three generated texts to FOLDER and measures nothing. Each figure is the best of batches
// of calls, repeated for S seconds (default 0.4) in each of N rounds (default 3): the best is the least
// disturbed by other work on the machine. The tree's memory is what a counting allocator sees allocated and
// not yet freed once the tree is built. The last lines are the summary, one per file:
//     ratio FILE read=R1 write=R2 nlohmann_read=R3
// R1 and R2 are Torvane's throughput divided by RapidJSON's, R3 Torvane's read throughput divided
// by nlohmann::json's; a higher ratio is faster.

#include "json/JSON.h"

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <string>
#include <vector>

// MARK: - Counting allocator
//
// Every allocation of the program, the libraries' included, goes through these. The count is the
// allocator's own size of each live block, so it is what the process really holds. It is the one
// piece of process-wide state here: operator new has no other place to keep it.

namespace {

struct AllocationCount {
    bool counting{false};
    long long liveBytes{0};
};

AllocationCount& allocationCount() {
    static AllocationCount count;
    return count;
}

void* countedAllocate(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (!block)
        throw std::bad_alloc();
    if (auto& count = allocationCount(); count.counting)
        count.liveBytes += static_cast<long long>(malloc_usable_size(block));
    return block;
}

// Blocks aligned beyond malloc's own (the arena's huge chunks) count the bytes asked for: the
// allocator maps more address space to align them, which is never touched.
void* countedAlignedAllocate(std::size_t bytes, std::align_val_t alignment) {
    auto align = static_cast<std::size_t>(alignment);
    void* block = std::aligned_alloc(align, (std::max<std::size_t>(bytes, 1) + align - 1) / align * align);
    if (!block)
        throw std::bad_alloc();
    if (auto& count = allocationCount(); count.counting)
        count.liveBytes += static_cast<long long>(bytes);
    return block;
}

void countedAlignedFree(void* block, std::size_t bytes) {
    if (!block)
        return;
    if (auto& count = allocationCount(); count.counting)
        count.liveBytes -= static_cast<long long>(bytes);
    std::free(block);
}

void countedFree(void* block) {
    if (!block)
        return;
    if (auto& count = allocationCount(); count.counting)
        count.liveBytes -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

// The bytes that `build` leaves allocated, with what it returns kept alive until they are counted.
template <typename Build>
long long bytesHeldBy(Build&& build) {
    auto& count = allocationCount();
    count.liveBytes = 0;
    count.counting = true;
    auto tree = build();
    long long held = count.liveBytes;
    count.counting = false;
    (void)tree;
    return held;
}

} // namespace

void* operator new(std::size_t bytes) {
    return countedAllocate(bytes);
}
void* operator new[](std::size_t bytes) {
    return countedAllocate(bytes);
}
void operator delete(void* block) noexcept {
    countedFree(block);
}
void operator delete[](void* block) noexcept {
    countedFree(block);
}
void operator delete(void* block, std::size_t) noexcept {
    countedFree(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    countedFree(block);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
    return countedAlignedAllocate(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
    return countedAlignedAllocate(bytes, alignment);
}
void operator delete(void* block, std::size_t bytes, std::align_val_t) noexcept {
    countedAlignedFree(block, bytes);
}
void operator delete[](void* block, std::size_t bytes, std::align_val_t) noexcept {
    countedAlignedFree(block, bytes);
}
// Without the size, the block's usable size stands in for it.
void operator delete(void* block, std::align_val_t) noexcept {
    countedAlignedFree(block, block ? malloc_usable_size(block) : 0);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    countedAlignedFree(block, block ? malloc_usable_size(block) : 0);
}

namespace {

// RapidJSON takes its memory from malloc through an allocator class; this one counts it.
class CountingRapidJSONAllocator {
  public:
    static constexpr bool kNeedFree = true;
    void* Malloc(std::size_t bytes) { return bytes ? countedAllocate(bytes) : nullptr; }
    void* Realloc(void* block, std::size_t oldBytes, std::size_t newBytes) {
        if (newBytes == 0) {
            countedFree(block);
            return nullptr;
        }
        void* grown = countedAllocate(newBytes);
        if (block)
            std::memcpy(grown, block, std::min(oldBytes, newBytes));
        countedFree(block);
        return grown;
    }
    static void Free(void* block) { countedFree(block); }
};
using CountedRapidDocument =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<CountingRapidJSONAllocator>,
                               CountingRapidJSONAllocator>;

// MARK: - Timing

using Clock = std::chrono::steady_clock;

struct Options {
    std::string directory = TORVANE_BENCH_JSON_DIR;
    double secondsPerFigure = 0.4;
    int rounds = 3;
    std::string saveFolder;
};

// Keeps the optimiser from dropping work whose result is otherwise unused.
template <typename T>
void keep(const T& value) {
    asm volatile("" : : "g"(&value) : "memory");
}

// The best time of one call of `work`, in seconds, from batches of at least 20 ms each.
template <typename Work>
double bestSeconds(const Options& options, Work&& work) {
    work();
    double best = 1e30;
    auto deadline = Clock::now() + std::chrono::duration<double>(options.secondsPerFigure);
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

struct Figures {
    double read{0};
    double write{0};
    long long treeBytes{0};
};

void keepBest(Figures& best, const Figures& round) {
    best.read = std::max(best.read, round.read);
    best.write = std::max(best.write, round.write);
    best.treeBytes = round.treeBytes;
}

double megabytesPerSecond(std::size_t bytes, double seconds) {
    return double(bytes) / seconds / 1e6;
}

// MARK: - The libraries

Figures measureTorvane(const Options& options, const std::string& text) {
    Figures result;
    torvane::Data data = torvane::Data::copy(text);
    result.read = megabytesPerSecond(text.size(), bestSeconds(options, [&] {
                                         torvane::Error error;
                                         keep(torvane::JSONDeserializer::deserialize(data, &error));
                                     }));
    torvane::Error error;
    torvane::Value tree;
    result.treeBytes =
        bytesHeldBy([&] { return tree = torvane::JSONDeserializer::deserialize(data, &error); });
    if (!tree) {
        std::fprintf(stderr, "json_bench: Torvane cannot read the file: %s %ld\n", error.domain.c_str(),
                     error.code);
        std::exit(1);
    }
    auto serializer = torvane::JSONDataSerializer::serializer();
    result.write = megabytesPerSecond(
        text.size(), bestSeconds(options, [&] { keep(serializer.serializeObject(tree).length()); }));
    return result;
}

Figures measureRapidJSON(const Options& options, const std::string& text) {
    Figures result;
    result.read =
        megabytesPerSecond(text.size(), bestSeconds(options, [&] {
                               rapidjson::Document document;
                               document.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
                               keep(document.IsObject());
                           }));
    result.treeBytes = bytesHeldBy([&] {
        auto document = std::make_unique<CountedRapidDocument>();
        document->Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
        return document;
    });
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
    result.write = megabytesPerSecond(text.size(), bestSeconds(options, [&] {
                                          rapidjson::StringBuffer buffer;
                                          rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
                                          document.Accept(writer);
                                          keep(buffer.GetSize());
                                      }));
    return result;
}

Figures measureNlohmann(const Options& options, const std::string& text) {
    Figures result;
    result.read = megabytesPerSecond(text.size(),
                                     bestSeconds(options, [&] { keep(nlohmann::json::parse(text).size()); }));
    nlohmann::json document;
    result.treeBytes = bytesHeldBy([&] { return document = nlohmann::json::parse(text), 0; });
    result.write =
        megabytesPerSecond(text.size(), bestSeconds(options, [&] { keep(document.dump().size()); }));
    return result;
}

Figures measureSimdjson(const Options& options, const std::string& text) {
    Figures result;
    simdjson::padded_string padded(text);
    // The parser is simdjson's reusable document store; keeping it between parses is its intended use.
    simdjson::dom::parser parser;
    result.read = megabytesPerSecond(text.size(), bestSeconds(options, [&] {
                                         simdjson::dom::element root;
                                         keep(parser.parse(padded).get(root) == simdjson::SUCCESS);
                                     }));
    // Its tree is the store of a parser that has read the text.
    result.treeBytes = bytesHeldBy([&] {
        auto fresh = std::make_unique<simdjson::dom::parser>();
        simdjson::dom::element root;
        keep(fresh->parse(padded).get(root));
        return fresh;
    });
    simdjson::dom::element root = parser.parse(padded);
    result.write = megabytesPerSecond(text.size(),
                                      bestSeconds(options, [&] { keep(simdjson::to_string(root).size()); }));
    return result;
}

// MARK: - Texts

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "json_bench: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(file), {}};
}

// The generators draw from mt19937, whose sequence the standard fixes, and map its numbers
// themselves (the standard distributions differ between libraries), so every run reads the same text.
class Draw {
  public:
    explicit Draw(std::uint32_t seed) : m_random(seed) {}
    std::size_t below(std::size_t bound) { return std::size_t(m_random() % bound); }

  private:
    std::mt19937 m_random;
};

std::string stringsText() {
    const char* words[] = {"flashlight", "lens",   "Torch",  "battery", "café",     "naïve",  "Größe",
                           "привет",     "фонарь", "λάμπα",  "東京",    "懐中電灯", "明るい", "😀",
                           "🔦",          "ça",     "Ελλάδα", "مصباح",   "light",    "ünïcödé"};
    const char* escapes[] = {"\\n",     "\\t",     "\\\"",           "\\\\", "\\/",
                             "\\u00e9", "\\u6771", "\\ud83d\\ude00", "\\r"};
    Draw draw(20240515);
    std::string text = "[";
    while (text.size() < 5'000'000) {
        if (text.size() > 1)
            text += ",\n";
        text += '"';
        std::size_t count = 1 + draw.below(24);
        for (std::size_t i = 0; i < count; ++i) {
            if (i)
                text += ' ';
            text += draw.below(6) == 0 ? escapes[draw.below(std::size(escapes))]
                                       : words[draw.below(std::size(words))];
        }
        text += '"';
    }
    return text + "]";
}

std::string nestedText() {
    constexpr int depth = 500;
    Draw draw(20240516);
    std::string text = "[";
    while (text.size() < 5'000'000) {
        if (text.size() > 1)
            text += ",\n";
        std::string closing;
        for (int level = 1; level < depth; ++level) {
            if (level % 2) {
                text += "{\"level\":" + std::to_string(level) + ",\"inner\":";
                closing += '}';
            } else {
                text += "[" + std::to_string(draw.below(1000)) + ",";
                closing += ']';
            }
        }
        text += "\"bottom\"";
        text.append(closing.rbegin(), closing.rend());
    }
    return text + "]";
}

std::string integersText() {
    Draw draw(20240517);
    std::string text = "[";
    for (int i = 0; i < 1'000'000; ++i) {
        if (i)
            text += ',';
        text += std::to_string(draw.below(1000));
    }
    return text + "]";
}

// MARK: - Report

void printRow(const std::string& file, const char* library, const Figures& figures, const Figures& torvane,
              std::size_t fileBytes) {
    std::printf("%-18s %-10s %9.1f %9.1f %11lld %6.2f %8.2f %8.2f\n", file.c_str(), library, figures.read,
                figures.write, figures.treeBytes, double(figures.treeBytes) / double(fileBytes),
                torvane.read / figures.read, torvane.write / figures.write);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--seconds" && i + 1 < argc)
            options.secondsPerFigure = std::atof(argv[++i]);
        else if (argument == "--rounds" && i + 1 < argc)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--save" && i + 1 < argc)
            options.saveFolder = argv[++i];
        else
            options.directory = argument;
    }

    if (!options.saveFolder.empty()) {
        for (const auto& [file, text] : {std::pair<const char*, std::string>{"strings.json", stringsText()},
                                         {"nested.json", nestedText()},
                                         {"integers.json", integersText()}}) {
            std::ofstream out(options.saveFolder + "/" + file, std::ios::binary);
            out << text;
            if (!out) {
                std::fprintf(stderr, "json_bench: cannot write %s/%s\n", options.saveFolder.c_str(), file);
                return 2;
            }
        }
        return 0;
    }

    std::printf(
        "json_bench: build type %s, RapidJSON with %s, simdjson kernel %s, best of %d rounds of %.1f s "
        "per figure\n",
        TORVANE_BUILD_TYPE, TORVANE_BENCH_RAPIDJSON_SIMD,
        simdjson::get_active_implementation()->name().c_str(), options.rounds, options.secondsPerFigure);
    std::printf("%-18s %-10s %9s %9s %11s %6s %8s %8s\n", "file", "library", "read", "write", "tree", "tree/",
                "torvane/", "torvane/");
    std::printf("%-18s %-10s %9s %9s %11s %6s %8s %8s\n", "", "", "MB/s", "MB/s", "bytes", "file", "read",
                "write");

    std::vector<std::pair<std::string, std::string>> texts;
    for (const char* file : {"twitter.json", "citm_catalog.json", "canada.json"})
        texts.emplace_back(file, readFile(options.directory + "/" + file));
    texts.emplace_back("strings.json", stringsText());
    texts.emplace_back("nested.json", nestedText());
    texts.emplace_back("integers.json", integersText());

    std::vector<std::string> summary;
    std::string memory;
    for (const auto& [file, text] : texts) {
        Figures torvane, rapid, nlohmann, simd;
        // Rounds interleave the libraries, so that a burst of other work on the machine cannot
        // favour one of them; each figure is its best round.
        for (int round = 0; round < options.rounds; ++round) {
            keepBest(torvane, measureTorvane(options, text));
            keepBest(rapid, measureRapidJSON(options, text));
            keepBest(nlohmann, measureNlohmann(options, text));
            keepBest(simd, measureSimdjson(options, text));
        }
        printRow(file, "torvane", torvane, torvane, text.size());
        printRow(file, "rapidjson", rapid, torvane, text.size());
        printRow(file, "nlohmann", nlohmann, torvane, text.size());
        printRow(file, "simdjson", simd, torvane, text.size());

        char line[200];
        std::snprintf(line, sizeof line, "ratio %s read=%.2f write=%.2f nlohmann_read=%.2f", file.c_str(),
                      torvane.read / rapid.read, torvane.write / rapid.write, torvane.read / nlohmann.read);
        summary.emplace_back(line);
        if (file == "twitter.json") {
            std::snprintf(line, sizeof line, "memory %s tree=%lld bytes file=%zu bytes (%.2f times the file)",
                          file.c_str(), torvane.treeBytes, text.size(),
                          double(torvane.treeBytes) / double(text.size()));
            memory = line;
        }
    }
    std::printf("%s\n", memory.c_str());
    for (const auto& line : summary)
        std::printf("%s\n", line.c_str());
    return 0;
}
