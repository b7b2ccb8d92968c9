// The torch goes off however the application ends: each case runs a child process (this test
// program, running only TorchChild) that lights the LED of a made-up tree and is then ended.

#include "platform/torch/TorchGuard.h"
#include "platform/torch/CaptureDevice.h"
#include "platform/torch/CaptureSession.h"

#include "LedTrees.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
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
Child startChild(const TempFolder& tree, const std::string& mode, const std::string& end) {
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
    Child child;
    int result = posix_spawn(&child.pid, program.c_str(), &actions, nullptr, arguments, environment.data());
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

class TorchGuard : public ::testing::Test {
  protected:
    void SetUp() override {
        // Orphans (the watchdog, once its application has died) come to this process, which can
        // then wait for the watchdog to finish its one write.
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        makePinePhone(tree);
    }

    TempFolder tree;
};

} // namespace

// The child's part; runs only when started by the cases below.
TEST(TorchChild, DISABLED_LightsTheTorch) {
    const char* mode = std::getenv(modeVariable);
    const char* end = std::getenv(endVariable);
    const char* readyFd = std::getenv(readyVariable);
    ASSERT_TRUE(mode && end && readyFd);
    auto device = CaptureDevice::defaultDeviceWithMediaType(MediaType::Video);
    ASSERT_TRUE(device);
    device->lockForConfiguration();
    device->setTorchMode(TorchMode::On);
    device->setFlashMode(FlashMode::On);
    device->unlockForConfiguration();
    CaptureSession session;
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
