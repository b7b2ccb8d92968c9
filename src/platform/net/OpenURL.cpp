#include "platform/net/OpenURL.h"

#include "platform/core/ConsoleLog.h"
#include "platform/core/Trace.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace torvane::platform {

namespace {

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() { posix_spawnattr_init(&attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

void reapLater(pid_t pid) {
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread the opener stays a zombie until the application ends; harmless.
    }
}

} // namespace

bool openURL(const std::string& url) {
    trace("url.open", {{"url", url}});
    std::string opener = defaultUrlOpener;
    if (const char* chosen = std::getenv(urlOpenerVariable); chosen && *chosen)
        opener = chosen;

    // The opener starts with the signals as a new program would have them, not as ours are set.
    SpawnAttributes spawn;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    posix_spawnattr_setsigdefault(&spawn.attributes, &all);
    posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char> program(opener.begin(), opener.end());
    program.push_back('\0');
    std::vector<char> argument(url.begin(), url.end());
    argument.push_back('\0');
    char* arguments[] = {program.data(), argument.data(), nullptr};

    pid_t pid = 0;
    int result = posix_spawnp(&pid, program.data(), nullptr, &spawn.attributes, arguments, environ);
    if (result != 0) {
        consoleLog("url: cannot start " + opener + ": " + std::strerror(result));
        return false;
    }
    reapLater(pid);
    return true;
}

} // namespace torvane::platform
