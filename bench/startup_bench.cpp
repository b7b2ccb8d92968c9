// Start-up benchmark: how long Torvane takes, headless, from process start to its first frame and
// to a lit torch, held against the minimal SDL2 program that shows one frame the same way
// (sdl_floor); and the CPU time per frame and the peak memory of the opening sequence.
//
//   startup_bench [--runs N] [--app PATH]
//       N runs of each measurement (default 15), interleaved; PATH: another torvane to measure
//       (an installed one) instead of the one built here
//
// Every figure is taken from outside, on child processes: fork, exec, wait4, /proc. Nothing here
// is timed inside the application, and the application is not changed for it. The same is
// measured in a real window on an Xvfb of the benchmark's own, against the floor in a window.
//
// Index:
//   [SECTION] Paths, options and figures
//   [SECTION] Child processes: fork to exit, CPU and peak memory from wait4
//   [SECTION] Moments seen from outside: a lit torch, the first frame
//   [SECTION] In a window: the first frame seen on an X server of the benchmark's own
//   [SECTION] Frames of the opening sequence, from the trace
//   [SECTION] The scratch folder: stores, scripts, LED trees
//   [SECTION] Report

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "support/VirtualDisplay.h"

extern char** environ;

namespace {

// MARK: - [SECTION] Paths, options and figures

// Build paths of the measured programs (bench/CMakeLists.txt); empty when not part of the build.
constexpr const char* floorPath = TORVANE_BENCH_FLOOR;
constexpr const char* appPath = TORVANE_BENCH_APP;
constexpr const char* viewDemoPath = TORVANE_BENCH_VIEW_DEMO;

constexpr const char* screenPoints = "320x568";
constexpr const char* floorPixels = "640x1136"; // the same screen at the headless scale of 2
constexpr const char* ledName = "white:flash";
constexpr int ledMaxBrightness = 255;
// Where the install report and the rating probe would go: a closed port on the loopback address,
// refused at once, so that no run waits on a network or sends anything.
constexpr const char* nowhereHost = "127.0.0.1:9";
constexpr double openingSeconds = 2.5;
constexpr double frameInterval = 1.0 / 60;
// A child that runs longer than this is stuck: it is killed and its run does not count.
constexpr int childTimeoutMs = 60'000;

// Goals of the start-up and screen issues.
constexpr double firstFrameGoal = 1.5;    // first frame / floor
constexpr double torchGoal = 0.5;         // torch lit / floor: the LED needs no window
constexpr double firstFrameCpuGoal = 2;   // the first frame's CPU / the floor's
constexpr double frameCpuGoalMs = 8;      // median frame in software
constexpr double peakMemoryGoalMb = 20;   // the opening, headless
constexpr double windowMemoryGoalMb = 50; // the opening in a window, without a GPU

struct Options {
    int runs{15};
    std::string app{appPath};
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--runs" && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (word == "--app" && i + 1 < argc) {
            options.app = argv[++i];
        } else {
            // `tools/bootstrap bench` hands its arguments to every benchmark: others' are not errors.
            std::fprintf(stderr, "startup_bench: ignoring %s\n", argv[i]);
        }
    }
    return options;
}

struct Figures {
    std::vector<double> values;

    void add(double value) { values.push_back(value); }
    [[nodiscard]] bool empty() const { return values.empty(); }
    [[nodiscard]] double median() const {
        if (values.empty())
            return NAN;
        auto sorted = values;
        std::sort(sorted.begin(), sorted.end());
        auto middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    [[nodiscard]] double min() const {
        return values.empty() ? NAN : *std::min_element(values.begin(), values.end());
    }
    [[nodiscard]] double max() const {
        return values.empty() ? NAN : *std::max_element(values.begin(), values.end());
    }
};

double millisecondsSince(const timespec& start) {
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

double milliseconds(const timeval& time) {
    return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
}

// MARK: - [SECTION] Moments seen from outside: a lit torch, the first frame

// The moments are taken with inotify, which reports a file's changes as they are made.
//
// The torch: the application opens the LED's `brightness`, writes "0" then the maximum (some
// controllers take a new brightness only from off), and at its end writes "0" again, as does its
// watchdog; each write is reported and the value read back at once. A FIFO in place of the file
// would hand over each write itself, but the application writes with pwrite at offset 0 (sysfs
// takes each write as a whole value), which a FIFO refuses with ESPIPE, and reads the file before
// writing, which would block on a FIFO. So `brightness` stays a plain file, as in a made-up tree.
//
// The first frame: headless, the application draws its first frame before the script's first
// command (MainLoop::runScript). A first command `shot FILE` creates FILE right after that frame,
// before it encodes the picture, so the file's creation marks the first frame presented. The
// process's exit would not: it comes after the teardown, and SDL's dummy audio driver alone makes
// that wait for its audio thread to wake from a sleep of tens of milliseconds.
class MomentWatch {
  public:
    enum class Kind { Lit, Created };

    MomentWatch(Kind kind, const std::filesystem::path& file) : m_kind(kind), m_file(file) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return;
        int added = kind == Kind::Lit
                        ? inotify_add_watch(m_fd, file.c_str(), IN_MODIFY | IN_CLOSE_WRITE)
                        : inotify_add_watch(m_fd, file.parent_path().c_str(), IN_CREATE | IN_MOVED_TO);
        if (added < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~MomentWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MomentWatch(const MomentWatch&) = delete;
    MomentWatch& operator=(const MomentWatch&) = delete;

    [[nodiscard]] int fd() const { return m_fd; }

    // Drains the pending events; true when the moment has come.
    [[nodiscard]] bool arrived() {
        bool created = false;
        alignas(inotify_event) char events[4096];
        ssize_t got = 0;
        while ((got = ::read(m_fd, events, sizeof events)) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                if (event->len > 0 && m_file.filename() == event->name)
                    created = true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_kind == Kind::Created ? created : lit();
    }

  private:
    [[nodiscard]] bool lit() const {
        int file = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0)
            return false;
        char text[32]{};
        ssize_t got = ::read(file, text, sizeof text - 1);
        ::close(file);
        return got > 0 && std::atoi(text) > 0;
    }

    Kind m_kind;
    std::filesystem::path m_file;
    int m_fd{-1};
};

// MARK: - [SECTION] Child processes: fork to exit, CPU and peak memory from wait4

struct Child {
    std::vector<std::string> arguments;
    std::string log;        // standard output and error go here
    std::string brightness; // the LED's file, when the torch is awaited
    std::string firstShot;  // the shot taken after the first frame, when that is awaited
};

struct Measured {
    bool ok{false};
    int status{0};
    double wallMs{0};                      // fork to exit
    double cpuMs{0};                       // user + system, the child itself (threads included)
    double peakRssMb{0};                   // the child's ru_maxrss
    std::optional<double> torchMs;         // fork to a non-zero brightness
    std::optional<double> firstFrameMs;    // fork to the creation of the first shot
    std::optional<double> firstFrameCpuMs; // the CPU spent by then
};

// The CPU time `pid` has used so far, all its threads together, ended ones included: the
// process's CPU-time clock, in nanoseconds (unlike the clock ticks of /proc/PID/stat).
std::optional<double> cpuMsOf(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0)
        return std::nullopt;
    return double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
}

std::vector<std::string> childEnvironment(const std::filesystem::path& scratch) {
    const std::vector<std::pair<std::string, std::string>> overrides = {
        {"SDL_VIDEODRIVER", "dummy"},          {"SDL_AUDIODRIVER", "dummy"},
        {"TORVANE_INSTALL_HOST", nowhereHost}, {"TORVANE_PROBE_HOST", nowhereHost},
        {"TORVANE_URL_OPENER", "/bin/true"},   {"XDG_CONFIG_HOME", (scratch / "config").string()},
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        std::string name = text.substr(0, text.find('='));
        bool replaced = name == "TORVANE_LEDS" || std::any_of(overrides.begin(), overrides.end(),
                                                              [&](const auto& o) { return o.first == name; });
        if (!replaced)
            environment.push_back(text);
    }
    for (const auto& [name, value] : overrides)
        environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> result;
    for (auto& word : words)
        result.push_back(word.data());
    result.push_back(nullptr);
    return result;
}

Measured runChild(Child child, std::vector<std::string> environment) {
    Measured measured;
    auto argv = pointers(child.arguments);
    auto envp = pointers(environment);
    int log = ::open(child.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (log < 0 || devNull < 0) {
        std::fprintf(stderr, "startup_bench: cannot open %s: %s\n", child.log.c_str(), std::strerror(errno));
        return measured;
    }
    std::optional<MomentWatch> torch, firstFrame;
    auto watch = [](std::optional<MomentWatch>& watch, MomentWatch::Kind kind, const std::string& file) {
        if (file.empty())
            return;
        watch.emplace(kind, file);
        if (watch->fd() < 0) {
            std::fprintf(stderr, "startup_bench: cannot watch %s: %s\n", file.c_str(), std::strerror(errno));
            watch.reset();
        }
    };
    watch(torch, MomentWatch::Kind::Lit, child.brightness);
    watch(firstFrame, MomentWatch::Kind::Created, child.firstShot);

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(devNull, 0);
        ::dup2(log, 1);
        ::dup2(log, 2);
        ::execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ::close(log);
    ::close(devNull);
    if (pid < 0) {
        std::fprintf(stderr, "startup_bench: fork: %s\n", std::strerror(errno));
        return measured;
    }

    // The child's end and the LED's writes arrive on one poll, so neither can be missed while the
    // other is awaited, and a stuck child is killed instead of hanging the benchmark.
    int pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    bool timedOut = false;
    if (pidFd >= 0) {
        // A negative descriptor is skipped by poll.
        pollfd fds[3] = {{pidFd, POLLIN, 0},
                         {torch ? torch->fd() : -1, POLLIN, 0},
                         {firstFrame ? firstFrame->fd() : -1, POLLIN, 0}};
        while (true) {
            int left = childTimeoutMs - int(millisecondsSince(start));
            int ready = ::poll(fds, 3, std::max(0, left));
            double at = millisecondsSince(start);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                ::kill(pid, SIGKILL);
                timedOut = true;
                break;
            }
            // A moment once seen is no longer watched: its descriptor would stay readable, and poll
            // would spin on a core the child needs.
            if ((fds[1].revents & POLLIN) && torch->arrived()) {
                measured.torchMs = at;
                fds[1].fd = -1;
            }
            if ((fds[2].revents & POLLIN) && firstFrame->arrived()) {
                measured.firstFrameMs = at;
                measured.firstFrameCpuMs = cpuMsOf(pid);
                fds[2].fd = -1;
            }
            if (fds[0].revents & POLLIN) {
                measured.wallMs = at;
                break;
            }
        }
        ::close(pidFd);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (pidFd < 0)
        measured.wallMs = millisecondsSince(start); // no pidfd: the end is when wait4 returns
    measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    measured.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    measured.peakRssMb = double(usage.ru_maxrss) / 1024;
    measured.ok = !timedOut && measured.status == 0;
    if (timedOut)
        std::fprintf(stderr, "startup_bench: %s ran longer than %d s and was killed\n", argv[0],
                     childTimeoutMs / 1000);
    return measured;
}

// MARK: - [SECTION] In a window: the first frame seen on an X server of the benchmark's own

// The first frame in a window is seen where it matters, on the screen: the X server's root starts
// black, and the frame has come when the pixel at the screen's centre (inside the centred window,
// in the light of the lens or the floor's white) is no longer black. Looked at every quarter of a
// millisecond, each look a round trip to the server.
class ScreenCentre {
  public:
    explicit ScreenCentre(const std::string& displayName) : m_display(XOpenDisplay(displayName.c_str())) {}
    ~ScreenCentre() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    ScreenCentre(const ScreenCentre&) = delete;
    ScreenCentre& operator=(const ScreenCentre&) = delete;

    [[nodiscard]] bool ok() const { return m_display != nullptr; }
    [[nodiscard]] bool lit() const {
        Window root = DefaultRootWindow(m_display);
        int x = DisplayWidth(m_display, DefaultScreen(m_display)) / 2;
        int y = DisplayHeight(m_display, DefaultScreen(m_display)) / 2;
        XImage* image = XGetImage(m_display, root, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return false;
        bool lit = (XGetPixel(image, 0, 0) & 0xffffff) != 0;
        XDestroyImage(image);
        return lit;
    }

  private:
    Display* m_display;
};

// Runs a windowed child until its first frame is on the screen and `holdMs` more, then ends it
// with SIGTERM (as closing the window would); its peak memory covers that whole time.
Measured runWindowed(std::vector<std::string> arguments, const std::string& logPath,
                     std::vector<std::string> environment, const ScreenCentre& screen, double holdMs) {
    Measured measured;
    // The last child's window must be gone before the next is looked for.
    for (int i = 0; i < 4000 && screen.lit(); ++i)
        ::usleep(250);
    auto argv = pointers(arguments);
    auto envp = pointers(environment);
    int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0)
        return measured;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(log, 1);
        ::dup2(log, 2);
        ::execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ::close(log);
    if (pid < 0)
        return measured;
    int status = 0;
    rusage usage{};
    bool exited = false;
    while (millisecondsSince(start) < childTimeoutMs) {
        if (::wait4(pid, &status, WNOHANG, &usage) == pid) {
            exited = true; // it ended before showing anything: a failure
            break;
        }
        if (screen.lit()) {
            measured.firstFrameMs = millisecondsSince(start);
            measured.firstFrameCpuMs = cpuMsOf(pid);
            break;
        }
        ::usleep(250);
    }
    if (!exited) {
        if (measured.firstFrameMs)
            ::usleep(useconds_t(holdMs * 1000));
        ::kill(pid, measured.firstFrameMs ? SIGTERM : SIGKILL);
    }
    while (!exited && ::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    measured.wallMs = millisecondsSince(start);
    measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    measured.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    measured.peakRssMb = double(usage.ru_maxrss) / 1024;
    measured.ok = !exited && measured.firstFrameMs && measured.status == 0;
    return measured;
}

std::vector<std::string> windowEnvironment(std::vector<std::string> environment, const std::string& display) {
    std::erase_if(environment, [](const std::string& entry) {
        return entry.starts_with("SDL_VIDEODRIVER=") || entry.starts_with("DISPLAY=") ||
               entry.starts_with("WAYLAND_DISPLAY=");
    });
    environment.push_back("SDL_VIDEODRIVER=x11");
    environment.push_back("DISPLAY=" + display);
    return environment;
}

// MARK: - [SECTION] Frames of the opening sequence, from the trace

// The trace has no line per frame, so the frames are counted the way the main loop draws them:
// headless, the script's `wait` steps the clock by 1/60 s and a step draws while a block animates
// (and once more at the step that ends it); one frame is drawn before the script's first command.
// A block animates from its `anim.begin` to its `anim.end`.
struct Block {
    double begin{0};
    double end{-1};
    std::string id;
};

std::optional<double> numberField(const std::string& line, const std::string& key) {
    auto at = line.find("\"" + key + "\":");
    if (at == std::string::npos)
        return std::nullopt;
    return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

std::string textField(const std::string& line, const std::string& key) {
    auto at = line.find("\"" + key + "\":\"");
    if (at == std::string::npos)
        return {};
    at += key.size() + 4;
    return line.substr(at, line.find('"', at) - at);
}

// std::nullopt when the trace holds no block (or cannot be read).
std::optional<int> framesOfOpening(const std::filesystem::path& tracePath) {
    std::ifstream in(tracePath);
    std::vector<Block> blocks;
    std::string line;
    while (std::getline(in, line)) {
        auto t = numberField(line, "t");
        if (!t)
            continue;
        if (line.find("\"op\":\"anim.begin\"") != std::string::npos) {
            blocks.push_back({*t, -1, textField(line, "id")});
        } else if (line.find("\"op\":\"anim.end\"") != std::string::npos) {
            auto id = textField(line, "id");
            for (auto& block : blocks)
                if (block.end < 0 && block.id == id) {
                    block.end = *t;
                    break;
                }
        }
    }
    if (blocks.empty())
        return std::nullopt;
    // The trace's times have three decimals; a step's time is matched within that rounding.
    constexpr double slack = 0.001;
    const int steps = int(std::ceil(openingSeconds / frameInterval - 1e-9));
    int frames = 1;
    for (int step = 1; step <= steps; ++step) {
        double time = step * frameInterval;
        bool drawn = std::any_of(blocks.begin(), blocks.end(), [&](const Block& block) {
            double end = block.end < 0 ? openingSeconds : block.end;
            return time > block.begin + slack && time <= end + slack;
        });
        frames += drawn ? 1 : 0;
    }
    return frames;
}

// MARK: - [SECTION] The scratch folder: stores, scripts, LED trees

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
}

// A later start of this version on a phone: the screen's choices stored ("1.6"), the install
// reported, and the rating prompt's count far below its threshold, so that no alert is put up and
// nothing is sent. The application writes to it, so each run gets a fresh copy.
std::string storeText() {
    std::ostringstream text;
    text.precision(17);
    text << "{\"flashlight_version\":\"1.6\",\"lens_type\":\"white\",\"soundfx_on\":\"TRUE\","
         << "\"control_tray_up\":\"TRUE\",\"recorded_install\":\"TRUE\","
         << "\"kRatingPromptCurrentVersion\":\"2.3\",\"kRatingPromptLaunchDate\":"
         << double(std::time(nullptr))
         << ",\"kRatingPromptLaunchCount\":1,\"kRatingPromptRatedCurrentVersion\":false,"
         << "\"kRatingPromptDeclinedToRate\":false}";
    return text.str();
}

// A phone's camera LED as the kernel shows it: the LED flash class, white, off.
std::filesystem::path makeLedTree(const std::filesystem::path& root) {
    auto led = root / ledName;
    std::filesystem::create_directories(led);
    writeFile(led / "brightness", "0\n");
    writeFile(led / "max_brightness", std::to_string(ledMaxBrightness) + "\n");
    writeFile(led / "color", "white\n");
    writeFile(led / "flash_brightness", "0\n");
    writeFile(led / "flash_timeout", "500000\n");
    writeFile(led / "flash_strobe", "0\n");
    return led / "brightness";
}

class Scratch {
  public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvane-startup-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!m_path.empty() && !m_keep)
            std::filesystem::remove_all(m_path, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    // A failed run's logs stay for the reader.
    void keep() { m_keep = true; }

  private:
    std::filesystem::path m_path;
    bool m_keep{false};
};

// MARK: - [SECTION] Report

bool reportFailure(const char* what, const Measured& measured, const std::string& log, Scratch& scratch) {
    if (measured.ok)
        return false;
    std::fprintf(stderr, "startup_bench: %s failed with status %d; its output is in %s\n", what,
                 measured.status, log.c_str());
    scratch.keep();
    return true;
}

void printRow(const char* name, const Figures& figures, const char* unit) {
    if (figures.empty()) {
        std::printf("%-28s %10s\n", name, "-");
        return;
    }
    std::printf("%-28s %10.2f %10.2f %10.2f  %s  (%zu runs)\n", name, figures.median(), figures.min(),
                figures.max(), unit, figures.values.size());
}

const char* verdict(bool met) {
    return met ? "met" : "missed";
}

// "LINE_ms=A FLOOR_ms=F ratio=R goal<=G met": the application's median against the floor's;
// nothing when either was not measured.
void printAgainstFloor(const char* line, const Figures& app, const Figures& floor, const char* floorName,
                       double goal) {
    if (app.empty() || floor.empty())
        return;
    double ratio = app.median() / floor.median();
    std::printf("%s_ms=%.1f %s_ms=%.1f ratio=%.2f goal<=%.1f %s\n", line, app.median(), floorName,
                floor.median(), ratio, goal, verdict(ratio <= goal));
}

// The view demo prints "N frames drawn, median X ms CPU, slowest Y ms".
std::optional<double> viewDemoMedian(const std::string& log) {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        auto at = line.find("median ");
        if (line.find("frames drawn") != std::string::npos && at != std::string::npos)
            return std::strtod(line.c_str() + at + 7, nullptr);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    Scratch scratch;
    if (scratch.path().empty()) {
        std::fprintf(stderr, "startup_bench: cannot make a scratch folder: %s\n", std::strerror(errno));
        return 1;
    }
    const auto& dir = scratch.path();
    const auto environment = childEnvironment(dir);
    const std::string& app = options.app;
    const bool haveApp = !app.empty() && ::access(app.c_str(), X_OK) == 0;
    const bool haveDemo = *viewDemoPath != '\0' && ::access(viewDemoPath, X_OK) == 0;

    Figures floorWall, floorCpu, floorRss, appFirstFrame, appExit, appTorch, appRss, appCpu, appFrameCpu,
        openingCpu, openingRss, openingFrames, demoFrame;
    // In a window; without Xvfb (or an X connection to it) these rows stay empty.
    Figures windowFloorFrame, windowFloorCpu, windowFloorRss, windowFrame, windowCpu, windowRss;
    VirtualDisplay display(1024, 1280);
    std::optional<ScreenCentre> screen;
    if (display.ok())
        screen.emplace(display.name());
    if (screen && !screen->ok())
        screen.reset();
    const auto windowed = windowEnvironment(environment, display.name());
    int torchMissed = 0, firstFrameMissed = 0;
    bool failed = false;
    // Round-robin, so that a change in the machine's load falls on every measurement alike.
    for (int run = 0; run < options.runs && !failed; ++run) {
        auto floorLog = (dir / "floor.log").string();
        auto floor = runChild({{floorPath, floorPixels}, floorLog, {}, {}}, environment);
        if ((failed = reportFailure("sdl_floor", floor, floorLog, scratch)))
            break;
        floorWall.add(floor.wallMs);
        floorCpu.add(floor.cpuMs);
        floorRss.add(floor.peakRssMb);
        if (!haveApp)
            continue;

        // Both runs of the application start alike, a shot after the first frame included, so that
        // the opening's CPU beyond the first run's is the opening's frames alone.
        auto runDir = dir / ("run-" + std::to_string(run));
        auto leds = runDir / "leds";
        std::filesystem::create_directories(runDir);
        auto brightness = makeLedTree(leds);
        auto firstShot = runDir / "first.png";
        writeFile(runDir / "first.script", "shot " + firstShot.string() + "\nquit\n");
        writeFile(runDir / "first.json", storeText());
        auto firstLog = (runDir / "first.log").string();
        auto first =
            runChild({{app, "--headless", "--screen", screenPoints, "--store",
                       (runDir / "first.json").string(), "--script", (runDir / "first.script").string(),
                       "--leds", leds.string(), "--machine", "Linux-phone"},
                      firstLog,
                      brightness,
                      firstShot},
                     environment);
        if ((failed = reportFailure("torvane (first frame)", first, firstLog, scratch)))
            break;
        appExit.add(first.wallMs);
        appCpu.add(first.cpuMs);
        appRss.add(first.peakRssMb);
        if (first.firstFrameMs)
            appFirstFrame.add(*first.firstFrameMs);
        else
            ++firstFrameMissed;
        if (first.firstFrameCpuMs)
            appFrameCpu.add(*first.firstFrameCpuMs);
        if (first.torchMs)
            appTorch.add(*first.torchMs);
        else
            ++torchMissed;

        writeFile(runDir / "opening.script", "shot " + (runDir / "opening.png").string() + "\nwait " +
                                                 std::to_string(openingSeconds) + "\nquit\n");
        writeFile(runDir / "opening.json", storeText());
        auto openingLog = (runDir / "opening.log").string();
        auto opening = runChild(
            {{app, "--headless", "--screen", screenPoints, "--store", (runDir / "opening.json").string(),
              "--script", (runDir / "opening.script").string(), "--leds", leds.string(), "--machine",
              "Linux-phone", "--trace", (runDir / "opening.trace").string()},
             openingLog,
             {},
             {}},
            environment);
        if ((failed = reportFailure("torvane (opening)", opening, openingLog, scratch)))
            break;
        openingCpu.add(opening.cpuMs);
        openingRss.add(opening.peakRssMb);
        if (auto frames = framesOfOpening(runDir / "opening.trace"))
            openingFrames.add(*frames);

        if (!screen)
            continue;
        auto floorWindowLog = (runDir / "floor-window.log").string();
        auto floorWindow =
            runWindowed({floorPath, "--window", floorPixels}, floorWindowLog, windowed, *screen, 0);
        if ((failed = reportFailure("sdl_floor (window)", floorWindow, floorWindowLog, scratch)))
            break;
        windowFloorFrame.add(*floorWindow.firstFrameMs);
        if (floorWindow.firstFrameCpuMs)
            windowFloorCpu.add(*floorWindow.firstFrameCpuMs);
        windowFloorRss.add(floorWindow.peakRssMb);
        writeFile(runDir / "window.json", storeText());
        auto windowLog = (runDir / "window.log").string();
        auto window =
            runWindowed({app, "--screen", screenPoints, "--store", (runDir / "window.json").string(),
                         "--leds", leds.string(), "--machine", "Linux-phone"},
                        windowLog, windowed, *screen, openingSeconds * 1000);
        if ((failed = reportFailure("torvane (window)", window, windowLog, scratch)))
            break;
        windowFrame.add(*window.firstFrameMs);
        if (window.firstFrameCpuMs)
            windowCpu.add(*window.firstFrameCpuMs);
        windowRss.add(window.peakRssMb);
    }
    if (haveDemo && !failed) {
        for (int run = 0; run < std::min(options.runs, 5); ++run) {
            auto log = (dir / "demo.log").string();
            auto demo =
                runChild({{viewDemoPath, "--out", (dir / "demo").string(), "--alert", "no"}, log, {}, {}},
                         environment);
            if (reportFailure("torvane-view-demo", demo, log, scratch))
                break;
            if (auto median = viewDemoMedian(log))
                demoFrame.add(*median);
        }
    }

    // The frame's share of the opening's CPU: what the opening costs beyond a start that draws its
    // first frame and quits, over the frames drawn after the first.
    Figures frameCpu;
    double frames = openingFrames.empty() ? NAN : openingFrames.median();
    if (!openingCpu.empty() && !appCpu.empty() && frames > 1)
        frameCpu.add((openingCpu.median() - appCpu.median()) / (frames - 1));

    std::printf("startup_bench: %d runs each, headless, %s points at scale 2\n", options.runs, screenPoints);
    std::printf("%-28s %10s %10s %10s\n", "", "median", "min", "max");
    printRow("floor: sdl_floor to exit", floorWall, "ms");
    printRow("floor: CPU", floorCpu, "ms");
    printRow("floor: peak memory", floorRss, "MB");
    if (haveApp) {
        printRow("first frame presented", appFirstFrame, "ms");
        printRow("torch lit", appTorch, "ms");
        printRow("first frame: run to exit", appExit, "ms");
        printRow("first frame: CPU until shown", appFrameCpu, "ms");
        printRow("first frame: CPU to exit", appCpu, "ms");
        printRow("first frame: peak memory", appRss, "MB");
        printRow("opening 2.5 s: CPU", openingCpu, "ms");
        printRow("opening 2.5 s: peak memory", openingRss, "MB");
        printRow("opening 2.5 s: frames drawn", openingFrames, "");
        printRow("opening: CPU per frame", frameCpu, "ms");
        if (torchMissed > 0)
            std::printf("torch: %d runs never showed a lit LED\n", torchMissed);
        if (firstFrameMissed > 0)
            std::printf("first frame: %d runs never took their shot\n", firstFrameMissed);
    } else {
        std::printf("torvane: not part of this build; only the floor is measured\n");
    }
    if (haveDemo)
        printRow("view demo: median frame CPU", demoFrame, "ms");
    if (screen) {
        printRow("window: floor first frame", windowFloorFrame, "ms");
        printRow("window: floor CPU until shown", windowFloorCpu, "ms");
        printRow("window: floor peak memory", windowFloorRss, "MB");
        printRow("window: first frame shown", windowFrame, "ms");
        printRow("window: CPU until shown", windowCpu, "ms");
        printRow("window: opening peak memory", windowRss, "MB");
    } else {
        std::printf("window: no X server (Xvfb) could be started or reached; not measured\n");
    }

    double floorMs = floorWall.median();
    if (haveApp && !appFirstFrame.empty()) {
        printAgainstFloor("startup first_frame", appFirstFrame, floorWall, "floor", firstFrameGoal);
    } else {
        std::printf("startup first_frame_ms=- floor_ms=%.1f ratio=-\n", floorMs);
    }
    if (haveApp && !appTorch.empty()) {
        double ratio = appTorch.median() / floorMs;
        std::printf("startup torch_ms=%.1f ratio=%.2f goal<=%.1f %s\n", appTorch.median(), ratio, torchGoal,
                    verdict(ratio <= torchGoal));
    } else {
        std::printf("startup torch_ms=- ratio=-\n");
    }
    // The floor's CPU is taken to its exit, a little more than to its frame.
    if (haveApp)
        printAgainstFloor("startup first_frame_cpu", appFrameCpu, floorCpu, "floor_cpu", firstFrameCpuGoal);
    double peak = std::max(appRss.empty() ? 0 : appRss.max(), openingRss.empty() ? 0 : openingRss.max());
    if (!frameCpu.empty()) {
        std::printf("frames median_cpu_ms=%.2f frames=%.0f peak_rss_mb=%.1f goal<%.0fms,<%.0fMB %s,%s\n",
                    frameCpu.median(), frames, peak, frameCpuGoalMs, peakMemoryGoalMb,
                    verdict(frameCpu.median() < frameCpuGoalMs), verdict(peak < peakMemoryGoalMb));
    } else {
        std::printf("frames median_cpu_ms=- peak_rss_mb=%s\n", peak > 0 ? std::to_string(peak).c_str() : "-");
    }
    if (!demoFrame.empty())
        std::printf("frames view_demo_median_cpu_ms=%.2f\n", demoFrame.median());
    printAgainstFloor("window first_frame", windowFrame, windowFloorFrame, "floor", firstFrameGoal);
    printAgainstFloor("window first_frame_cpu", windowCpu, windowFloorCpu, "floor_cpu", firstFrameCpuGoal);
    if (!windowRss.empty())
        std::printf("window peak_rss_mb=%.1f goal<=%.0fMB %s\n", windowRss.max(), windowMemoryGoalMb,
                    verdict(windowRss.max() <= windowMemoryGoalMb));
    return failed ? 1 : 0;
}
