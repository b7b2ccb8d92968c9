#include "platform/storage/SettingsFile.h"
#include "platform/storage/SettingsStore.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace torvane::platform;

namespace {

// Large enough that one file takes many write calls, so a kill lands inside a write.
const std::string padding(32 * 1024, 'p');

// Child process: synchronises a consistent pair of keys in a loop until it is killed.
[[noreturn]] void writeForever(const std::filesystem::path& path, int generation) {
    Clock clock;
    Trace trace(clock);
    SettingsStore store(path, trace);
    for (long n = 0;; ++n) {
        std::string stamp = std::to_string(generation) + ":" + std::to_string(n);
        store.setObject(stamp, "first");
        store.setObject(padding, "padding");
        store.setObject(stamp, "last");
        store.synchronize();
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// Every state of the file a reader may see: none yet, or a whole file of one synchronise.
void expectWholeFile(const std::filesystem::path& path) {
    if (!std::filesystem::exists(path))
        return;
    auto values = parseSettings(readFile(path));
    ASSERT_TRUE(values.has_value()) << "a reader saw a half-written file";
    ASSERT_EQ(values->at("first").utf8(), values->at("last").utf8());
    ASSERT_EQ(values->at("padding").utf8(), padding);
}

// Waits until the file holds a write of this generation past its first few. Bounded, so that a
// writer that cannot write fails the test instead of hanging it.
void waitForWrites(const std::filesystem::path& path, int generation) {
    const std::string prefix = std::to_string(generation) + ":";
    for (int attempt = 0; attempt < 30000; ++attempt) {
        auto values = parseSettings(readFile(path));
        if (values && values->count("first")) {
            std::string stamp = values->at("first").utf8();
            if (stamp.starts_with(prefix) && std::stol(stamp.substr(prefix.size())) >= 1)
                return;
        }
        ::usleep(1000);
    }
    FAIL() << "the writer of generation " << generation << " never wrote";
}

} // namespace

TEST(SettingsAtomicReplacement, AReaderNeverSeesAHalfWrittenFileWhileTheWriterIsKilled) {
    TemporaryFolder folder;
    auto path = folder / "settings.json";
    Clock clock;
    Trace trace(clock);
    for (int generation = 0; generation < 6; ++generation) {
        pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0)
            writeForever(path, generation);

        // Once this writer has replaced the file a few times, read while it goes on writing,
        // then kill it wherever it happens to be.
        waitForWrites(path, generation);
        for (int read = 0; read < 20 + generation * 5; ++read)
            expectWholeFile(path);
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        expectWholeFile(path);
        // The next start reads what the killed writer left, never moving it aside as corrupt.
        testing::internal::CaptureStderr();
        SettingsStore next(path, trace);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("settings.json.corrupt-"));
}
