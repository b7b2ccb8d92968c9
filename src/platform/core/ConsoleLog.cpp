#include "platform/core/ConsoleLog.h"

#include "platform/core/Trace.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace torvane::platform {

void consoleLog(std::string_view text) {
    using namespace std::chrono;
    auto wallClock = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(wallClock);
    auto milliseconds = duration_cast<std::chrono::milliseconds>(wallClock.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);

    static std::mutex stderrMutex;
    {
        std::lock_guard lock(stderrMutex);
        std::fprintf(stderr, "%s.%03d torvane[%d:%ld] %.*s\n", stamp, int(milliseconds), int(getpid()),
                     long(syscall(SYS_gettid)), int(text.size()), text.data());
    }
    trace("log", {{"line", text}});
}

} // namespace torvane::platform
