#pragma once

// A platform context of the test's own: its settings store and its trace live in a fresh folder,
// and nothing it does reaches another test's context.

#include "platform/Context.h"

#include "TemporaryFolder.h"

#include <fstream>
#include <string>
#include <vector>

class TestContext {
  public:
    TestContext() : context(folder / "settings.json") {}

    // Starts the trace in the folder (truncating what an earlier call traced).
    bool startTrace() { return context.trace.open((folder / "trace.jsonl").string()); }
    void stopTrace() { context.trace.close(); }

    // The trace's lines so far.
    [[nodiscard]] std::vector<std::string> traceLines() const {
        std::ifstream in(folder / "trace.jsonl");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // Declared first: the context's store lives in it.
    TemporaryFolder folder;
    torvane::platform::Context context;
};
