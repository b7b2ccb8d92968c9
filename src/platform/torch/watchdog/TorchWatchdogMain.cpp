// torvane-torch-watchdog: switches the torch off when Torvane ends, however it ends.
//
// Torvane starts it when its torch is guarded (TorchGuard.cpp) in a session and process group of
// its own and under a name of its own, so that neither `killall torvane` nor a signal to
// Torvane's process group (Ctrl-C, a shell killing a job) ends it with the application.
//
//     torvane-torch-watchdog LED-NAME brightness|logind
//
// fd 3 is the read end of a pipe whose write end only Torvane holds: its end of file is the
// application's end. With "brightness", fd 4 is the LED's `brightness` open for writing; with
// "logind", the LED is switched off through logind's SetBrightness on the caller's session.

#include "platform/torch/LedClass.h"
#include "platform/torch/LogindSession.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int applicationEndFd = 3;
constexpr int brightnessFd = 4;

// Holding none of the application's files, sockets and pipes keeps its peers from waiting on us.
// close_range is not in every C library (musl), so the open descriptors are listed instead.
void closeDescriptorsAbove(int highestKept) {
    std::vector<int> open;
    if (DIR* listing = ::opendir("/proc/self/fd")) {
        int own = ::dirfd(listing);
        while (const dirent* entry = ::readdir(listing)) {
            int fd = std::atoi(entry->d_name);
            if (fd > highestKept && fd != own)
                open.push_back(fd);
        }
        ::closedir(listing);
    } else {
        struct rlimit limit {};
        rlim_t highest = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
        for (rlim_t fd = rlim_t(highestKept) + 1; fd < highest && fd < 65536; ++fd)
            open.push_back(int(fd));
    }
    for (int fd : open)
        ::close(fd);
}

void waitForTheApplicationsEnd() {
    char byte;
    while (true) {
        ssize_t got = ::read(applicationEndFd, &byte, 1);
        if (got == 0 || (got < 0 && errno != EINTR))
            return;
    }
}

int usage() {
    std::fputs("usage: torvane-torch-watchdog LED-NAME brightness|logind\n"
               "(started by torvane, with the application's end on fd 3 and for \"brightness\" the LED's "
               "brightness on fd 4)\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return usage();
    std::string name = argv[1];
    std::string way = argv[2];
    struct stat status {};
    if ((way != "brightness" && way != "logind") || ::fstat(applicationEndFd, &status) != 0 ||
        !S_ISFIFO(status.st_mode))
        return usage();

    // Only the application's end may end the watchdog. It was started with every signal blocked,
    // so none could end it before these are ignored.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2})
        sigaction(signal, &ignore, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    closeDescriptorsAbove(way == "brightness" ? brightnessFd : applicationEndFd);

    waitForTheApplicationsEnd();

    if (way == "brightness") {
        if (torvane::platform::writeBrightness(brightnessFd, 0))
            return 0;
        std::perror(("torvane-torch-watchdog: led: cannot switch " + name + " off").c_str());
        return 1;
    }
    std::string whyNot;
    auto session = torvane::platform::LogindSession::open(whyNot);
    if (session && session->setLedBrightness(name, 0, whyNot))
        return 0;
    std::fprintf(stderr, "torvane-torch-watchdog: led: cannot switch %s off: %s\n", name.c_str(),
                 whyNot.c_str());
    return 1;
}
