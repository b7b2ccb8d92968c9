// torvane: lights the torch, then loads the application and runs it.
//
// A flashlight is judged in the moment after its icon is touched, and its LED needs nothing of
// what the screen needs. Loading SDL, its image, sound and font libraries and everything else
// takes the dynamic loader longer than a bare SDL program takes to show its first frame; so this
// program links only what lighting the LED needs, lights it, and then opens the application
// (libtorvane.so, AppMain.cpp), which finds the LED lit and takes over its switching off.
//
// Between the light and the application's handlers, SIGINT, SIGTERM and SIGHUP are held back
// (blocked, not ignored): one that comes meanwhile is delivered once the application can switch
// the LED off, so the torch never outlives a quit.

#include "app/CommandLine.h"
#include "platform/core/Clock.h"
#include "platform/core/Trace.h"
#include "platform/torch/LedAccess.h"
#include "platform/torch/TorchAtStart.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <span>
#include <string>

namespace {

using AppMain = int (*)(int, char**, bool);

// Beside this program in the build tree; below the libraries' folder once installed.
std::string applicationLibrary() {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return TORVANE_INSTALLED_APP_LIBRARY;
    auto beside = self.parent_path() / "libtorvane.so";
    if (std::filesystem::exists(beside, error))
        return beside.string();
    return (self.parent_path() / TORVANE_INSTALLED_APP_LIBRARY_FROM_BIN).lexically_normal().string();
}

} // namespace

int main(int argc, char** argv) {
    torvane::platform::holdQuits(true);

    // Only a start that will run lights: not --help, --version or a command line the application
    // will refuse.
    auto commandLine = torvane::app::parseCommandLine(
        std::span<const char* const>(argv + 1, std::size_t(argc > 0 ? argc - 1 : 0)));
    bool lit = false;
    if (commandLine.ok() && !commandLine.options.help && !commandLine.options.version) {
        if (commandLine.options.ledsFolder)
            ::setenv("TORVANE_LEDS", commandLine.options.ledsFolder->c_str(), 1);
        torvane::platform::Clock clock;
        torvane::platform::Trace console(clock);
        torvane::platform::LedAccess leds(console);
        lit = torvane::platform::switchTorchOnAtStart(leds, commandLine.options.machine);
    }

    auto path = applicationLibrary();
    // Never closed: the application's exit handlers and static objects live in it until the end.
    // Bound lazily, as a program's own libraries are: binding all of SDL's and the others' symbols
    // at once cost more CPU than drawing the first frame.
    void* application = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    auto run = application ? reinterpret_cast<AppMain>(::dlsym(application, "torvane_main")) : nullptr;
    if (!run) {
        std::fprintf(stderr, "torvane: cannot load the application %s: %s\n", path.c_str(), ::dlerror());
        // Nothing else will switch the light off: the application never ran. Its exit handler does.
        if (lit)
            torvane::platform::keepTorchLitAtStart(torvane::platform::ledRoot());
        return 1;
    }
    return run(argc, argv, lit);
}
