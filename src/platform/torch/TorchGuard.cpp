#include "platform/torch/TorchGuard.h"

#include "platform/core/UniqueFd.h"
#include "platform/torch/LogindSession.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <string>
#include <unistd.h>

extern char** environ;

namespace torvane::platform {

namespace {

constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Process-wide by nature: signal handlers and exit handlers are the process's, and they can reach
// no object, so what they read lives here: lock-free atomics and arrays filled before the
// handlers exist. Only the first LED guarded in a process counts (the once flags).
std::atomic<int> brightnessFd{-1};
char ledName[256];
struct sigaction previousActions[NSIG];
std::once_flag handlersOnce;
std::atomic<bool> handlersInstalled{false};
std::once_flag watchdogOnce;
std::atomic<pid_t> watchdogPid{0};

static_assert(std::atomic<int>::is_always_lock_free);

int openBrightness(const TorchLed& led) {
    return ::open(led.brightnessPath().c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

void switchOffAtExit() {
    if (int fd = brightnessFd.load(); fd >= 0) {
        writeBrightness(fd, 0);
        return;
    }
    std::string whyNot;
    if (auto session = LogindSession::open(whyNot))
        session->setLedBrightness(ledName, 0, whyNot);
}

bool isHandler(const struct sigaction& action) {
    if (action.sa_flags & SA_SIGINFO)
        return action.sa_sigaction != nullptr;
    return action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
}

void switchOffOnSignal(int signal, siginfo_t* info, void* context) {
    int savedErrno = errno;
    writeBrightness(brightnessFd.load(), 0);
    const struct sigaction& previous = previousActions[signal];
    if (isHandler(previous)) {
        if (previous.sa_flags & SA_SIGINFO)
            previous.sa_sigaction(signal, info, context);
        else
            previous.sa_handler(signal);
        errno = savedErrno;
        return;
    }
    // The signal is blocked while this runs; it ends the process as soon as the handler returns.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    raise(signal);
    errno = savedErrno;
}

void copyName(const TorchLed& led) {
    auto length = std::min(led.name.size(), sizeof ledName - 1);
    std::memcpy(ledName, led.name.data(), length);
    ledName[length] = '\0';
}

// Where torvane-torch-watchdog is: named by the environment, else beside this program (installed
// or in the build tree), else where the build made it (for the test programs).
std::string watchdogProgram() {
    if (const char* named = std::getenv(watchdogProgramVariable); named && *named)
        return named;
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        auto beside = self.parent_path() / watchdogProgramName;
        if (::access(beside.c_str(), X_OK) == 0)
            return beside.string();
    }
    return TORVANE_BUILD_WATCHDOG;
}

// A descriptor numbered above the ones the watchdog gets, so that dup2 onto 3 or 4 always makes a
// copy without close-on-exec (dup2 of a descriptor onto itself would keep the flag).
UniqueFd aboveWatchdogsDescriptors(int fd) {
    return UniqueFd(fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 10));
}

} // namespace

void installTorchOffHandlers(const TorchLed& led) {
    std::call_once(handlersOnce, [&] {
        copyName(led);
        if (brightnessFd.load() < 0)
            brightnessFd = openBrightness(led);
        std::atexit(switchOffAtExit);
        for (int signal : guardedSignals) {
            struct sigaction action {};
            action.sa_sigaction = switchOffOnSignal;
            action.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&action.sa_mask);
            if (sigaction(signal, nullptr, &previousActions[signal]) != 0)
                continue;
            // nohup and friends asked for the signal to be ignored: it stays so.
            if (!(previousActions[signal].sa_flags & SA_SIGINFO) &&
                previousActions[signal].sa_handler == SIG_IGN)
                continue;
            sigaction(signal, &action, nullptr);
        }
        handlersInstalled = true;
    });
}

void chainTorchHandlersTo(const std::function<void()>& installOthers) {
    if (!handlersInstalled) {
        installOthers();
        return;
    }
    struct sigaction ours[NSIG] {};
    for (int signal : guardedSignals)
        sigaction(signal, &previousActions[signal], &ours[signal]);
    installOthers();
    for (int signal : guardedSignals) {
        sigaction(signal, nullptr, &previousActions[signal]);
        sigaction(signal, &ours[signal], nullptr);
    }
}

bool startTorchWatchdog(Trace& trace, const TorchLed& led) {
    bool started = false;
    std::call_once(watchdogOnce, [&] {
        auto fail = [&trace](const std::string& why) { trace.log("led: no watchdog for the torch: " + why); };
        UniqueFd brightness(openBrightness(led));
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return fail(std::strerror(errno));
        UniqueFd readEnd(ends[0]);
        UniqueFd writeEnd(ends[1]);
        // posix_spawn returns once the exec has begun, but the kernel gives the process its new name
        // a little later: until then `killall torvane` would still match it. Its copy of this
        // pipe's write end is closed later still, in the same exec, so the end of file says the
        // watchdog carries its own name.
        int execEnds[2];
        if (::pipe2(execEnds, O_CLOEXEC) != 0)
            return fail(std::strerror(errno));
        UniqueFd execRead(execEnds[0]);
        UniqueFd execWrite(execEnds[1]);
        UniqueFd readForWatchdog = aboveWatchdogsDescriptors(readEnd.get());
        UniqueFd brightnessForWatchdog = aboveWatchdogsDescriptors(brightness.get());
        if (!readForWatchdog || (brightness && !brightnessForWatchdog))
            return fail(std::strerror(errno));

        std::string program = watchdogProgram();
        std::string name = led.name;
        std::string way = brightness ? "brightness" : "logind";
        char* arguments[] = {program.data(), name.data(), way.data(), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, readForWatchdog.get(), 3);
        if (brightness)
            posix_spawn_file_actions_adddup2(&actions, brightnessForWatchdog.get(), 4);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // A session of its own where the C library offers it, else at least a process group: a
        // signal to the application's group or to its name must not reach the watchdog. Every
        // signal stays blocked until the watchdog has chosen which to ignore.
        short flags = POSIX_SPAWN_SETSIGMASK;
#ifdef POSIX_SPAWN_SETSID
        flags |= POSIX_SPAWN_SETSID;
#else
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, 0);
#endif
        posix_spawnattr_setflags(&attributes, flags);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &all);
        pid_t pid = 0;
        int result = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments, environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0)
            return fail(program + ": " + std::strerror(result));
        execWrite.reset();
        char byte;
        while (::read(execRead.get(), &byte, 1) < 0 && errno == EINTR) {
        }
        // The write end stays open, unowned, until this process ends: its closing is the
        // watchdog's signal. Close-on-exec keeps it out of the programs this one starts.
        (void)writeEnd.release();
        watchdogPid = pid;
        started = true;
    });
    return started;
}

void guardTorch(Trace& trace, const TorchLed& led) {
    installTorchOffHandlers(led);
    startTorchWatchdog(trace, led);
}

std::optional<pid_t> torchWatchdogPid() {
    pid_t pid = watchdogPid.load();
    if (pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace torvane::platform
