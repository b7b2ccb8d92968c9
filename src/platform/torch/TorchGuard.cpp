#include "platform/torch/TorchGuard.h"

#include "platform/core/ConsoleLog.h"
#include "platform/torch/LogindSession.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace torvane::platform {

namespace {

constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr const char* busctlProgram = "busctl";

// Read from signal handlers: lock-free atomics and arrays filled before the handlers exist.
std::atomic<int> brightnessFd{-1};
char ledName[256];
struct sigaction previousActions[NSIG];
std::once_flag handlersOnce;
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

// The watchdog's whole life, between fork and _exit: async-signal-safe calls only, since the
// application may have had other threads when it forked.
// It starts with every signal blocked, so none can end it before it ignores them.
[[noreturn]] void runWatchdog(int pipeEnd, int fd, char* const* busctlArguments) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    // Ctrl-C reaches the whole process group; the watchdog must outlive the application.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2})
        sigaction(signal, &ignore, nullptr);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    // Holding none of the application's files, sockets and pipes keeps its peers from waiting on us.
    int low = fd < 0 ? pipeEnd : std::min(pipeEnd, fd);
    int high = std::max(pipeEnd, fd);
    if (low > 3)
        ::close_range(3, unsigned(low) - 1, 0);
    if (high > low + 1)
        ::close_range(unsigned(low) + 1, unsigned(high) - 1, 0);
    ::close_range(unsigned(high) + 1, ~0u, 0);
    char byte;
    while (true) {
        ssize_t got = ::read(pipeEnd, &byte, 1);
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
    }
    if (fd >= 0)
        writeBrightness(fd, 0);
    else if (busctlArguments)
        ::execvp(busctlArguments[0], busctlArguments);
    _exit(0);
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
    });
}

bool startTorchWatchdog(const TorchLed& led) {
    bool started = false;
    std::call_once(watchdogOnce, [&] {
        int fd = openBrightness(led);
        // Prepared before the fork: the watchdog may not allocate.
        std::vector<std::string> words = {busctlProgram,
                                          "--quiet",
                                          "call",
                                          logindService,
                                          logindSessionPath,
                                          logindSessionInterface,
                                          "SetBrightness",
                                          "ssu",
                                          "leds",
                                          led.name,
                                          "0"};
        std::vector<char*> arguments;
        for (auto& word : words)
            arguments.push_back(word.data());
        arguments.push_back(nullptr);

        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            consoleLog(std::string("led: no watchdog for the torch: ") + std::strerror(errno));
            if (fd >= 0)
                ::close(fd);
            return;
        }
        sigset_t all;
        sigset_t previousMask;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previousMask);
        pid_t pid = ::fork();
        if (pid == 0)
            runWatchdog(ends[0], fd, arguments.data());
        int forkErrno = errno;
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        ::close(ends[0]);
        if (fd >= 0)
            ::close(fd);
        if (pid < 0) {
            ::close(ends[1]);
            consoleLog(std::string("led: no watchdog for the torch: ") + std::strerror(forkErrno));
            return;
        }
        // ends[1] stays open, unowned, until this process ends: its closing is the watchdog's signal.
        watchdogPid = pid;
        started = true;
    });
    return started;
}

void guardTorch(const TorchLed& led) {
    installTorchOffHandlers(led);
    startTorchWatchdog(led);
}

std::optional<pid_t> torchWatchdogPid() {
    pid_t pid = watchdogPid.load();
    if (pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace torvane::platform
