#pragma once

// An X server of the benchmark's own (Xvfb), so that a window is measured as a desktop shows it
// without touching the user's display. Xvfb picks a free display number and tells it on a pipe.
//
//     VirtualDisplay display(1280, 1280);
//     if (display.ok()) setenv("DISPLAY", display.name().c_str(), 1);

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class VirtualDisplay {
  public:
    VirtualDisplay(int width, int height) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        std::string fd = std::to_string(pipeFds[1]);
        std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // A black root (-br), so that a window's first frame is seen where it lights the screen.
        const char* argv[] = {"Xvfb", "-displayfd",   fd.c_str(),  "-br", "-screen",
                              "0",    screen.c_str(), "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The write end is handed on under its own number (dup2 clears close-on-exec).
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], pipeFds[1]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (spawned != 0) {
            std::fprintf(stderr, "cannot start Xvfb: %s\n", std::strerror(spawned));
            m_pid = -1;
            ::close(pipeFds[0]);
            return;
        }
        char number[16]{};
        std::size_t got = 0;
        pollfd wait{pipeFds[0], POLLIN, 0};
        while (got < sizeof number - 1 && ::poll(&wait, 1, 10'000) > 0) {
            ssize_t n = ::read(pipeFds[0], number + got, sizeof number - 1 - got);
            if (n <= 0 || std::memchr(number, '\n', got + std::size_t(n)))
                break;
            got += std::size_t(n);
        }
        ::close(pipeFds[0]);
        if (number[0] >= '0' && number[0] <= '9') {
            char name[24];
            std::snprintf(name, sizeof name, ":%d", std::atoi(number));
            m_name = name;
        }
    }
    ~VirtualDisplay() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    [[nodiscard]] bool ok() const { return !m_name.empty(); }
    // ":N", for DISPLAY.
    [[nodiscard]] const std::string& name() const { return m_name; }

  private:
    pid_t m_pid{-1};
    std::string m_name;
};
