#include "platform/storage/SettingsStore.h"
#include "platform/storage/SettingsFile.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <vector>

using namespace torvane::platform;

namespace {

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::filesystem::path> corruptFilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("settings.json.corrupt-"))
            found.push_back(entry.path());
    }
    return found;
}

} // namespace

TEST(SettingsStore, AbsentKeysReadAsNothing) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    SettingsStore store(folder / "settings.json", trace);
    EXPECT_EQ(store.stringForKey("lens_type"), std::nullopt);
    EXPECT_EQ(store.doubleForKey("lens_type"), 0.0);
    EXPECT_EQ(store.integerForKey("lens_type"), 0);
    EXPECT_FALSE(store.boolForKey("lens_type"));
    EXPECT_FALSE(std::filesystem::exists(folder / "settings.json")) << "reading must not create the file";
}

TEST(SettingsStore, ValuesOfEveryTypeSurviveARestart) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / "nested" / "torvane" / "settings.json";
    {
        SettingsStore store(path, trace);
        store.setObject("white", "lens_type");
        store.setObject("quote \" backslash \\ tab \t bell \x07 é ✓", "odd text");
        store.setObject("", "empty");
        store.setDouble(1234.5678, "kAppiraterFirstUseDate");
        store.setDouble(3.0, "integral double");
        store.setDouble(-0.1, "negative");
        store.setInteger(9007199254740992, "big integer");
        store.setInteger(-6, "negative integer");
        store.setBool(true, "yes");
        store.setBool(false, "no");
        store.setObject("gone", "removed");
        store.removeObject("removed");
        ASSERT_TRUE(store.synchronize());
    }
    SettingsStore restarted(path, trace);
    EXPECT_EQ(restarted.stringForKey("lens_type"), "white");
    EXPECT_EQ(restarted.stringForKey("odd text"), "quote \" backslash \\ tab \t bell \x07 é ✓");
    EXPECT_EQ(restarted.stringForKey("empty"), "");
    EXPECT_EQ(restarted.doubleForKey("kAppiraterFirstUseDate"), 1234.5678);
    EXPECT_EQ(restarted.doubleForKey("integral double"), 3.0);
    EXPECT_EQ(restarted.doubleForKey("negative"), -0.1);
    EXPECT_EQ(restarted.integerForKey("big integer"), 9007199254740992);
    EXPECT_EQ(restarted.integerForKey("negative integer"), -6);
    EXPECT_TRUE(restarted.boolForKey("yes"));
    EXPECT_TRUE(restarted.objectForKey("yes").isBoolean());
    EXPECT_FALSE(restarted.boolForKey("no"));
    EXPECT_TRUE(restarted.objectForKey("no").isBoolean());
    EXPECT_EQ(restarted.stringForKey("removed"), std::nullopt);

    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(SettingsStore, ReadsAcrossKindsAsThePlatformStoreDoes) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    SettingsStore store(folder / "settings.json", trace);
    store.setObject("TRUE", "flag text");
    store.setObject("no", "no text");
    store.setObject(" 42.5 apples", "number text");
    store.setInteger(7, "count");
    EXPECT_TRUE(store.boolForKey("flag text"));
    EXPECT_FALSE(store.boolForKey("no text"));
    EXPECT_EQ(store.doubleForKey("number text"), 42.5);
    EXPECT_EQ(store.integerForKey("number text"), 42);
    EXPECT_EQ(store.stringForKey("count"), "7");
    EXPECT_TRUE(store.boolForKey("count"));
}

TEST(SettingsStore, IntegersBeyondTheRangeSaturateWhateverTheirKind) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    SettingsStore store(folder / "settings.json", trace);
    store.setDouble(1e30, "huge");
    store.setDouble(-1e30, "tiny");
    store.setObject("1e30", "huge text");
    store.setObject("-1e30 apples", "tiny text");
    EXPECT_EQ(store.integerForKey("huge"), INT64_MAX);
    EXPECT_EQ(store.integerForKey("tiny"), INT64_MIN);
    EXPECT_EQ(store.integerForKey("huge text"), INT64_MAX);
    EXPECT_EQ(store.integerForKey("tiny text"), INT64_MIN);
}

TEST(SettingsStore, RefusesValuesWithoutAJSONForm) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    SettingsStore store(folder / "settings.json", trace);
    store.setDouble(2.0, "n");
    store.setDouble(std::numeric_limits<double>::infinity(), "n");
    store.setObject("ok", "s");
    store.setObject("\xff\xfe", "s");
    EXPECT_EQ(store.doubleForKey("n"), 2.0);
    EXPECT_EQ(store.stringForKey("s"), "ok");
    EXPECT_TRUE(store.synchronize());
}

// Files that cannot be used: each is moved aside, untouched, and the store starts empty.
TEST(SettingsStore, MovesABadFileAsideAndStartsEmpty) {
    Clock clock;
    Trace trace(clock);
    const std::vector<std::string> badFiles = {
        "{\"lens_type\": \"red\"",  // cut off
        "[\"lens_type\", \"red\"]", // top level not an object
        "\"lens_type\"",            // a bare string
        "",                         // empty
        "\x89PNG\r\n\x1a\n",        // not text at all
    };
    for (const auto& bad : badFiles) {
        SCOPED_TRACE(bad);
        TemporaryFolder folder;
        auto path = folder / "settings.json";
        writeFile(path, bad);

        testing::internal::CaptureStderr();
        SettingsStore store(path, trace);
        std::string console = testing::internal::GetCapturedStderr();

        EXPECT_EQ(store.stringForKey("lens_type"), std::nullopt);
        EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 1) << console;
        EXPECT_NE(console.find("settings: "), std::string::npos);
        auto aside = corruptFilesIn(folder.path());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(contentsOf(aside[0]), bad);
        EXPECT_FALSE(std::filesystem::exists(path));

        store.setObject("white", "lens_type");
        ASSERT_TRUE(store.synchronize());
        EXPECT_EQ(contentsOf(aside[0]), bad) << "the bad file must never be overwritten";
        EXPECT_EQ(SettingsStore(path, trace).stringForKey("lens_type"), "white");
    }
}

TEST(SettingsStore, AFileThatCannotBeReadIsMovedAsideToo) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / "settings.json";
    std::filesystem::create_directory(path); // reading a folder fails, whoever runs the test
    testing::internal::CaptureStderr();
    SettingsStore store(path, trace);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(corruptFilesIn(folder.path()).size(), 1u);
    store.setObject("1.6", "flashlight_version");
    EXPECT_TRUE(store.synchronize());
}

TEST(SettingsStore, AFifoAtThePathNeitherBlocksTheStartNorStays) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / "settings.json";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    auto opening = std::async(std::launch::async, [&] { return SettingsStore(path, trace).synchronize(); });
    // Not a measure of speed: only a bound, so that a blocked open fails the test instead of hanging it.
    bool finished = opening.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!finished)
        ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK)); // lets the blocked reader go on
    EXPECT_TRUE(finished) << "opening the store blocked on the FIFO";
    EXPECT_TRUE(opening.get()) << "the FIFO is moved aside and the store written";
    std::string console = testing::internal::GetCapturedStderr();
    EXPECT_NE(console.find("not a regular file"), std::string::npos) << console;
    ASSERT_EQ(corruptFilesIn(folder.path()).size(), 1u);
    EXPECT_TRUE(std::filesystem::is_fifo(corruptFilesIn(folder.path())[0]));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST(SettingsStore, TemporariesOfAKilledWriterGoAtTheNextStartOnceAMinuteOld) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / "settings.json";
    auto makeFile = [&](const std::string& name, bool old) {
        writeFile(folder / name, "{\"half\":");
        if (old) {
            struct timeval times[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
            ::utimes((folder / name).c_str(), times);
        }
    };
    makeFile(".settings.json.a1B2c3", true);  // a killed writer's
    makeFile(".settings.json.Zz9Yy8", false); // possibly a live writer's
    makeFile(".settings.json.a1B2c3d", true); // not of our pattern
    makeFile(".other.json.a1B2c3", true);     // another file's
    std::filesystem::create_directory(folder / ".settings.json.QQQQQQ");
    SettingsStore store(path, trace);
    EXPECT_FALSE(std::filesystem::exists(folder / ".settings.json.a1B2c3"));
    for (const char* kept :
         {".settings.json.Zz9Yy8", ".settings.json.a1B2c3d", ".other.json.a1B2c3", ".settings.json.QQQQQQ"})
        EXPECT_TRUE(std::filesystem::exists(folder / kept)) << kept;
}

// Root may write into a read-only folder; a name too long for its aside name stops the move for anyone.
TEST(SettingsStore, ABadFileWhoseAsideNameIsTooLongStaysAndEachRefusedSyncIsLogged) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / std::string(240, 's');
    writeFile(path, "not JSON");
    testing::internal::CaptureStderr();
    SettingsStore store(path, trace);
    testing::internal::GetCapturedStderr();
    store.setObject("white", "lens_type");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.synchronize());
    std::string console = testing::internal::GetCapturedStderr();
    EXPECT_NE(console.find("settings: "), std::string::npos) << "a failed synchronize is said";
    EXPECT_EQ(contentsOf(path), "not JSON");
}

TEST(SettingsStore, ABadFileThatCannotBeMovedIsNeverOverwritten) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto locked = folder / "locked";
    std::filesystem::create_directory(locked);
    auto path = locked / "settings.json";
    std::filesystem::create_directory(path);
    std::filesystem::permissions(locked,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(locked.c_str(), W_OK) == 0) {
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        GTEST_SKIP() << "this user can write into a read-only folder";
    }
    testing::internal::CaptureStderr();
    SettingsStore store(path, trace);
    testing::internal::GetCapturedStderr();
    store.setObject("white", "lens_type");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.synchronize());
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST(SettingsStore, CorruptFileNameCarriesTheUTCTime) {
    EXPECT_EQ(corruptFilePath("/home/u/.config/torvane/settings.json", 1796694300),
              "/home/u/.config/torvane/settings.json.corrupt-20261208T014500Z");
}

TEST(SettingsStore, ConcurrentWritersLoseNothing) {
    Clock clock;
    Trace trace(clock);
    TemporaryFolder folder;
    auto path = folder / "settings.json";
    constexpr int threads = 4;
    constexpr int keysPerThread = 25;
    {
        SettingsStore store(path, trace);
        std::vector<std::thread> writers;
        for (int t = 0; t < threads; ++t) {
            writers.emplace_back([&store, t] {
                for (int k = 0; k < keysPerThread; ++k) {
                    std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
                    store.setInteger(t * 1000 + k, key);
                    store.synchronize();
                }
            });
        }
        for (auto& writer : writers)
            writer.join();
    }
    SettingsStore restarted(path, trace);
    for (int t = 0; t < threads; ++t) {
        for (int k = 0; k < keysPerThread; ++k)
            EXPECT_EQ(restarted.integerForKey("t" + std::to_string(t) + "k" + std::to_string(k)),
                      t * 1000 + k);
    }
    auto entries = std::distance(std::filesystem::directory_iterator(folder.path()), {});
    EXPECT_EQ(entries, 1) << "no temporary file left";
}

TEST(SettingsStore, DefaultPathFollowsXDGConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string savedValue = saved ? saved : "";
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/config-home", 1);
    EXPECT_EQ(SettingsStore::defaultPath(), "/tmp/config-home/torvane/settings.json");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsStore::defaultPath(), "/home/someone/.config/torvane/settings.json");
    ::setenv("HOME", savedHome.c_str(), 1);
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
