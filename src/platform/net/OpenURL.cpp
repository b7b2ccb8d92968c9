#include "platform/net/OpenURL.h"

#include "platform/core/UniqueFd.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

struct SpawnFileActions {
    posix_spawn_file_actions_t actions;
    SpawnFileActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
};

// Starts `program` (looked for on PATH) with `arguments`; its standard output goes to `output`
// when that is not -1. The process id, or the error number negated.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, int output = -1) {
    // The program starts with the signals as a new program would have them, not as ours are set.
    SpawnAttributes spawn;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    posix_spawnattr_setsigdefault(&spawn.attributes, &all);
    posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    SpawnFileActions files;
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&files.actions, output, STDOUT_FILENO);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int result = posix_spawnp(&pid, program.c_str(), &files.actions, &spawn.attributes, argv.data(), environ);
    return result == 0 ? pid : -result;
}

// Reaps `pid`. An opener usually hands the URL on and ends within a second; one that runs on
// when the application ends (a browser started in its place) is left to init.
void waitFor(pid_t pid, const std::stop_token& stop) {
    for (;;) {
        int status = 0;
        pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid || (reaped < 0 && errno != EINTR) || stop.stop_requested())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Whether the desktop names an application for `scheme`. A query that cannot run answers no.
bool desktopHandles(const std::string& query, const std::string& scheme, const std::stop_token& stop) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    UniqueFd reading(ends[0]);
    UniqueFd writing(ends[1]);
    pid_t pid = spawn(query, {"query", "default", "x-scheme-handler/" + scheme}, writing.get());
    writing.reset(); // so that the read below ends when the query does
    if (pid < 0)
        return false;
    std::string answer;
    char buffer[256];
    for (ssize_t got; (got = ::read(reading.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        answer.append(buffer, std::size_t(got));
    }
    waitFor(pid, stop);
    return std::any_of(answer.begin(), answer.end(),
                       [](char c) { return !std::isspace(static_cast<unsigned char>(c)); });
}

// On the opening's own thread: touches nothing but what it owns and the console log.
void openOnDesktop(Trace& trace, const std::string& url, const DesktopOpeners& desktop,
                   const std::stop_token& stop) {
    std::string scheme = schemeOf(url);
    std::string chosen = scheme.empty() || desktopHandles(desktop.query, scheme, stop) ? url : httpsForm(url);
    pid_t pid = spawn(desktop.opener, {chosen});
    if (pid < 0) {
        trace.log("url: cannot open " + url + ": cannot start " + desktop.opener + ": " +
                  std::strerror(-pid));
        return;
    }
    waitFor(pid, stop);
}

} // namespace

std::string schemeOf(const std::string& url) {
    auto colon = url.find(':');
    if (colon == 0 || colon == std::string::npos || !std::isalpha(static_cast<unsigned char>(url[0])))
        return {};
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.')
            return {};
        c = char(std::tolower(u));
    }
    return scheme;
}

std::string httpsForm(const std::string& url) {
    std::string scheme = schemeOf(url);
    if (scheme.empty() || url.compare(scheme.size(), 3, "://") != 0)
        return url;
    return "https" + url.substr(scheme.size());
}

bool openURL(Trace& trace, BackgroundWork& work, const std::string& url, const DesktopOpeners& desktop) {
    trace.record("url.open", {{"url", url}});
    if (const char* chosen = std::getenv(urlOpenerVariable); chosen && *chosen) {
        pid_t pid = spawn(chosen, {url});
        if (pid < 0) {
            trace.log("url: cannot open " + url + ": cannot start " + chosen + ": " + std::strerror(-pid));
            return false;
        }
        // Without a thread the opener stays a zombie until the application ends; harmless.
        (void)work.start([pid](std::stop_token stop) { waitFor(pid, stop); });
        return true;
    }
    if (!work.start(
            [&trace, url, desktop](std::stop_token stop) { openOnDesktop(trace, url, desktop, stop); })) {
        trace.log("url: cannot open " + url + ": no thread");
        return false;
    }
    return true;
}

} // namespace torvane::platform
