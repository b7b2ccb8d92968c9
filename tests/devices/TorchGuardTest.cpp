// The torch goes off however the application ends: each case runs a child process (this test
// program, running only TorchChild, under the application's name in a process group of its own)
// that lights the LED of a made-up tree and is then ended.

#include "platform/torch/TorchGuard.h"
#include "platform/torch/CaptureDevice.h"
#include "platform/torch/CaptureSession.h"
#include "platform/torch/LedAccess.h"

#include "LedTrees.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace torvane::platform;

namespace {

constexpr const char* modeVariable = "TORVANE_TEST_TORCH_MODE"; // "handlers" or "session"
constexpr const char* endVariable = "TORVANE_TEST_TORCH_END";   // "wait" or "exit"
constexpr const char* readyVariable = "TORVANE_TEST_TORCH_READY_FD";

struct Child {
    pid_t pid{-1};
    pid_t watchdog{0};
};

// Starts the child and waits until its torch is lit; the child's line says its watchdog's pid.
Child startChild(const TemporaryFolder& tree, const std::string& mode, const std::string& end) {
    int ready[2];
    if (::pipe(ready) != 0)
        return {};
    std::vector<std::string> variables = {
        std::string(ledRootVariable) + "=" + tree.path().string(), std::string(modeVariable) + "=" + mode,
        std::string(endVariable) + "=" + end, std::string(readyVariable) + "=" + std::to_string(ready[1])};
    for (char** entry = environ; *entry; ++entry)
        variables.emplace_back(*entry);
    std::vector<char*> environment;
    for (auto& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    std::string program = "/proc/self/exe";
    std::string alsoDisabled = "--gtest_also_run_disabled_tests";
    std::string filter = "--gtest_filter=TorchChild.DISABLED_LightsTheTorch";
    char* arguments[] = {program.data(), alsoDisabled.data(), filter.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    // Its own process group, so that a signal to the group reaches nothing of the test's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    Child child;
    int result =
        posix_spawn(&child.pid, program.c_str(), &actions, &attributes, arguments, environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    if (result != 0) {
        ::close(ready[0]);
        child.pid = -1;
        return child;
    }
    std::string line;
    char byte;
    while (::read(ready[0], &byte, 1) == 1 && byte != '\n')
        line.push_back(byte);
    ::close(ready[0]);
    child.watchdog = line.empty() ? -1 : std::atoi(line.c_str());
    return child;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string commandOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

pid_t parentOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat{std::istreambuf_iterator<char>(in), {}};
    auto close = stat.rfind(')'); // the name before it may hold anything
    if (close == std::string::npos || close + 4 >= stat.size())
        return 0;
    return std::atoi(stat.c_str() + close + 4); // ") S 1234"
}

// `killall -SIGNAL name`, limited to this test's descendants so that nothing else on the machine
// of that name is touched; the number of processes signalled.
int killallDescendants(const std::string& name, int signal) {
    int signalled = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        pid_t pid = std::atoi(entry.path().filename().c_str());
        if (pid <= 0 || commandOf(pid) != name)
            continue;
        pid_t ancestor = pid;
        while (ancestor > 1 && ancestor != ::getpid())
            ancestor = parentOf(ancestor);
        if (ancestor == ::getpid() && ::kill(pid, signal) == 0)
            ++signalled;
    }
    return signalled;
}

// Polls, with a bound that only keeps a broken watchdog from hanging the test.
bool becomesOff(const TemporaryFolder& tree) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (brightnessOf(tree, "white:flash") != "0") {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The watchdog's exit status once it has ended, or -1 when it is still running after the bound.
int watchdogStatus(pid_t watchdog) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(watchdog, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            ::kill(watchdog, SIGKILL);
            waitFor(watchdog);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class TorchGuard : public ::testing::Test {
  protected:
    void SetUp() override {
        // Orphans (the watchdog, once its application has died) come to this process, which can
        // then wait for the watchdog to finish its one write.
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        makePinePhone(tree);
    }

    TemporaryFolder tree;
};

} // namespace

// The child's part; runs only when started by the cases below.
TEST(TorchChild, DISABLED_LightsTheTorch) {
    const char* mode = std::getenv(modeVariable);
    const char* end = std::getenv(endVariable);
    const char* readyFd = std::getenv(readyVariable);
    ASSERT_TRUE(mode && end && readyFd);
    ::prctl(PR_SET_NAME, "torvane");
    // No folder of its own: a killed child would leave it behind.
    Clock clock;
    Trace trace(clock);
    LedAccess leds(trace); // the tree named by the environment
    auto device = CaptureDevice::defaultDeviceWithMediaType(leds, MediaType::Video);
    ASSERT_TRUE(device);
    device->lockForConfiguration();
    device->setTorchMode(TorchMode::On);
    device->setFlashMode(FlashMode::On);
    device->unlockForConfiguration();
    CaptureSession session(trace);
    if (std::string(mode) == "session") {
        session.beginConfiguration();
        session.addInput(*CaptureDeviceInput::deviceInputWithDevice(*device));
        session.addOutput(VideoDataOutput{});
        session.commitConfiguration();
        session.startRunning();
    } else {
        installTorchOffHandlers(device->led());
    }
    std::string line = std::to_string(torchWatchdogPid().value_or(0)) + "\n";
    int fd = std::atoi(readyFd);
    ASSERT_EQ(::write(fd, line.data(), line.size()), ssize_t(line.size()));
    ::close(fd);
    if (std::string(end) == "exit")
        std::exit(0);
    while (true)
        ::pause();
}

TEST_F(TorchGuard, TerminatingSignalsSwitchTheTorchOffAndStillEndTheProcess) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        makePinePhone(tree);
        Child child = startChild(tree, "handlers", "wait");
        ASSERT_GT(child.pid, 0);
        ASSERT_EQ(child.watchdog, 0) << "no watchdog in this case: the handler alone does it";
        EXPECT_EQ(brightnessOf(tree, "white:flash"), "1");
        ::kill(child.pid, signal);
        int status = waitFor(child.pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal);
        EXPECT_EQ(brightnessOf(tree, "white:flash"), "0") << strsignal(signal);
    }
}

TEST_F(TorchGuard, NormalQuitSwitchesTheTorchOff) {
    Child child = startChild(tree, "handlers", "exit");
    ASSERT_GT(child.pid, 0);
    int status = waitFor(child.pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
}

TEST_F(TorchGuard, WatchdogSwitchesTheTorchOffAfterSigkill) {
    Child child = startChild(tree, "session", "wait");
    ASSERT_GT(child.pid, 0);
    ASSERT_GT(child.watchdog, 0);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "1");
    ::kill(child.pid, SIGKILL);
    waitFor(child.pid);
    waitFor(child.watchdog);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
}

TEST_F(TorchGuard, SessionSwitchesTheTorchOffAfterSigterm) {
    Child child = startChild(tree, "session", "wait");
    ASSERT_GT(child.pid, 0);
    ASSERT_GT(child.watchdog, 0);
    // Ctrl-C reaches the whole process group: the watchdog must live through it.
    ::kill(child.watchdog, SIGINT);
    ::kill(child.pid, SIGTERM);
    int status = waitFor(child.pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    int watchdogStatus = waitFor(child.watchdog);
    EXPECT_TRUE(WIFEXITED(watchdogStatus) && WEXITSTATUS(watchdogStatus) == 0);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "0");
}

TEST_F(TorchGuard, KillallOfTheApplicationsNameLeavesTheWatchdogToSwitchTheTorchOff) {
    Child child = startChild(tree, "session", "wait");
    ASSERT_GT(child.pid, 0);
    ASSERT_GT(child.watchdog, 0);
    EXPECT_EQ(commandOf(child.pid), "torvane");
    EXPECT_NE(commandOf(child.watchdog), "torvane");
    EXPECT_NE(::getsid(child.watchdog), ::getsid(child.pid));
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "1");
    EXPECT_EQ(killallDescendants("torvane", SIGKILL), 1);
    waitFor(child.pid);
    EXPECT_TRUE(becomesOff(tree));
    EXPECT_EQ(watchdogStatus(child.watchdog), 0) << "the watchdog ends with the application";
}

TEST_F(TorchGuard, SigkillToTheApplicationsProcessGroupLeavesTheWatchdogToSwitchTheTorchOff) {
    Child child = startChild(tree, "session", "wait");
    ASSERT_GT(child.pid, 0);
    ASSERT_GT(child.watchdog, 0);
    EXPECT_NE(::getpgid(child.watchdog), child.pid);
    EXPECT_EQ(brightnessOf(tree, "white:flash"), "1");
    ASSERT_EQ(::kill(-child.pid, SIGKILL), 0);
    waitFor(child.pid);
    EXPECT_TRUE(becomesOff(tree));
    EXPECT_EQ(watchdogStatus(child.watchdog), 0);
}
