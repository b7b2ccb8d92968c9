// Idle benchmark: what a Torvane left lit on a phone costs while nobody touches it, and how soon a
// sound follows a touch once the audio device has been let go.
//
//   idle_bench [--rounds N] [--app PATH]
//       N touches after the device was let go (default 7); PATH: another torvane to measure
//
// Torvane runs in a real window on an X server of the benchmark's own (Xvfb), with SDL's disk
// audio driver: a device that is opened and closed like a sound card's, paced in real time, and
// that writes what it plays to a file, so the moment a sound starts can be seen from outside.
//
// - Wake-ups: once the opening has ended and its last sound has died away, the context switches of
//   all the process's threads (/proc/PID/task/*/status) are counted over 5 seconds. A thread that
//   does not run has none.
// - Next sound: the tray is moved by a press (xdotool), which plays its sound; from the press to
//   the moment the device plays the sound's first non-silent sample (SoundStart). The press is
//   timed from xdotool's start, so the figure includes xdotool's own start and the X server's
//   delivery: it is an upper bound.

#include "support/VirtualDisplay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* appPath = TORVANE_BENCH_APP;
constexpr const char* nowhereHost = "127.0.0.1:9";
constexpr int wakeupGoal = 0;
constexpr double nextSoundGoalMs = 50;
// The tray's handle in window points at 320x568: the tray up is moved down by its top edge, the
// tray down up by its handle at the bottom right.
constexpr int trayUpTap[2] = {300, 396};
constexpr int trayDownTap[2] = {300, 555};
constexpr int scale = 2; // the window's pixels per point on a large enough screen

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs `argv` with the environment given and waits for it; its exit status.
int runAndWait(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& word : arguments)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 127;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// The sum of every thread's context switches, and the number of threads.
struct Switches {
    long long count{0};
    int threads{0};
};

Switches switchesOf(pid_t pid) {
    Switches switches;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with("voluntary_ctxt_switches:") ||
                line.starts_with("nonvoluntary_ctxt_switches:"))
                switches.count += std::atoll(line.c_str() + line.find(':') + 1);
        }
        ++switches.threads;
    }
    return switches;
}

std::uintmax_t sizeOf(const std::filesystem::path& file) {
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

// Until the device, once it has written something, has written nothing for `quiet` (it is
// closed), or `limit` has passed.
bool waitUntilDeviceClosed(const std::filesystem::path& played, std::chrono::milliseconds quiet,
                           std::chrono::seconds limit) {
    auto start = Clock::now();
    auto lastChange = start;
    std::uintmax_t lastSize = 0;
    while (Clock::now() - start < limit) {
        std::this_thread::sleep_for(10ms);
        auto size = sizeOf(played);
        if (size != lastSize) {
            lastSize = size;
            lastChange = Clock::now();
        } else if (size > 0 && Clock::now() - lastChange >= quiet) {
            return true;
        }
    }
    return false;
}

// When the sound starts, as a listener would hear it: the device is opened when its file is
// created (seen at once through inotify on the folder, unlike the file's growth, which comes in
// the bursts of its stdio buffer), and it plays in real time from there, so the first non-silent
// sample at byte B sounds B / bytesPerSecond later.
class SoundStart {
  public:
    explicit SoundStart(const std::filesystem::path& played) : m_played(played) {
        m_fd = inotify_init1(IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, played.parent_path().c_str(), IN_CREATE);
    }
    ~SoundStart() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SoundStart(const SoundStart&) = delete;
    SoundStart& operator=(const SoundStart&) = delete;

    std::optional<Clock::time_point> wait(std::chrono::seconds limit) {
        auto opened = waitForCreation(limit);
        if (!opened)
            return std::nullopt;
        for (auto start = Clock::now(); Clock::now() - start < limit; std::this_thread::sleep_for(5ms)) {
            std::ifstream file(m_played, std::ios::binary);
            std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                auto sample = std::int16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8);
                if (sample > 64 || sample < -64)
                    return *opened + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(double(i) / bytesPerSecond));
            }
        }
        return std::nullopt;
    }

  private:
    static constexpr double bytesPerSecond = 44100 * 2 * 2; // the application's 16-bit stereo

    std::optional<Clock::time_point> waitForCreation(std::chrono::seconds limit) {
        auto start = Clock::now();
        alignas(inotify_event) char events[4096];
        while (m_fd >= 0 && Clock::now() - start < limit) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            auto at = Clock::now();
            ssize_t got = ::read(m_fd, events, sizeof events);
            for (ssize_t offset = 0; offset < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + offset);
                if (event->len > 0 && m_played.filename() == event->name)
                    return at;
                offset += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return std::nullopt;
    }

    std::filesystem::path m_played;
    int m_fd{-1};
};

double median(std::vector<double> values) {
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    auto middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::string app = appPath;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (word == "--app" && i + 1 < argc)
            app = argv[++i];
        // `tools/bootstrap bench` hands its arguments to every benchmark: others' are not errors.
    }
    if (app.empty()) {
        std::printf("idle: no torvane built\n");
        return 1;
    }
    VirtualDisplay display(1024, 1280);
    if (!display.ok()) {
        std::printf("idle: no X server (Xvfb) could be started\n");
        return 1;
    }

    char scratchTemplate[] = "/tmp/torvane-idle-XXXXXX";
    if (!::mkdtemp(scratchTemplate))
        return 1;
    std::filesystem::path scratch = scratchTemplate;
    auto played = scratch / "played.raw";
    auto store = scratch / "store.json";
    // A later start with the tray down at its end: no alert, and a click on the handle moves it.
    std::ofstream(store) << R"({"recorded_install":"TRUE","flashlight_version":"1.6","lens_type":"white",)"
                         << R"("soundfx_on":"TRUE","control_tray_up":"FALSE"})";

    ::setenv("DISPLAY", display.name().c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    ::setenv("TORVANE_INSTALL_HOST", nowhereHost, 1);
    ::setenv("TORVANE_PROBE_HOST", nowhereHost, 1);
    ::setenv("TORVANE_URL_OPENER", "/bin/true", 1);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    std::string log = (scratch / "torvane.log").string();
    const char* arguments[] = {app.c_str(),   "--screen", "320x568",       "--store",
                               store.c_str(), "--leds",   scratch.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, app.c_str(), &actions, nullptr, const_cast<char**>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::printf("idle: cannot start %s: %s\n", app.c_str(), std::strerror(spawned));
        return 1;
    }

    // The opening takes about two seconds and its last sound one more; then the device is let go.
    bool closed = waitUntilDeviceClosed(played, 500ms, 20s);
    auto before = switchesOf(pid);
    std::this_thread::sleep_for(5s);
    auto after = switchesOf(pid);
    long long wakeups = after.count - before.count;

    std::vector<double> nextSound;
    bool trayUp = false;
    for (int round = 0; round < rounds && closed; ++round) {
        const int* tap = trayUp ? trayUpTap : trayDownTap;
        // The device writes its file anew when it opens; what the last sound left is gone first.
        std::filesystem::remove(played);
        SoundStart soundStart(played);
        // The pointer is placed first: only the press is timed (xdotool's `click` sleeps after it).
        int status =
            runAndWait({"xdotool", "search", "--sync", "--class", "app.torvane.Torvane", "mousemove",
                        "--window", "%1", std::to_string(tap[0] * scale), std::to_string(tap[1] * scale)});
        auto pressed = Clock::now();
        if (status == 0)
            status = runAndWait({"xdotool", "mousedown", "1"});
        if (status != 0) {
            std::printf("idle: xdotool failed with status %d\n", status);
            break;
        }
        auto heard = soundStart.wait(5s);
        if (!heard) {
            std::printf("idle: no sound after the click of round %d\n", round + 1);
            break;
        }
        nextSound.push_back(millisecondsBetween(pressed, *heard));
        runAndWait({"xdotool", "mouseup", "1"});
        trayUp = !trayUp;
        closed = waitUntilDeviceClosed(played, 500ms, 10s);
    }

    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::filesystem::remove_all(scratch);

    std::printf("idle: torvane in a %s window under Xvfb, SDL's disk audio driver, %d touches\n",
                "320x568-point", int(nextSound.size()));
    if (!closed)
        std::printf("idle: the audio device was never let go\n");
    std::printf("idle wakeups_5s=%lld threads=%d goal=%d %s\n", wakeups, after.threads, wakeupGoal,
                closed && wakeups <= wakeupGoal ? "met" : "missed");
    double worst = nextSound.empty() ? NAN : *std::max_element(nextSound.begin(), nextSound.end());
    std::printf("idle next_sound_ms=%.1f max_ms=%.1f goal<=%.0f %s\n", median(nextSound), worst,
                nextSoundGoalMs, !nextSound.empty() && worst <= nextSoundGoalMs ? "met" : "missed");
    return 0;
}
