#pragma once

// A program started for a test and waited for with a time limit, so that a hang fails the test
// instead of stopping the suite. The child is killed, if still running, when the owner goes.

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

class ChildProcess {
  public:
    // `environment` entries ("NAME=value") replace or add to this process's environment, and a
    // bare "NAME" removes NAME; standard output goes to `output` when given (else is kept),
    // standard error with it. `arguments[0]` is looked up on the PATH.
    ChildProcess(std::vector<std::string> arguments, const std::vector<std::string>& environment = {},
                 const std::string& output = {}) {
        auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
        std::vector<std::string> variables;
        for (char** entry = environ; *entry; ++entry) {
            bool replaced = false;
            for (const auto& given : environment)
                replaced = replaced || nameOf(given) == nameOf(*entry);
            if (!replaced)
                variables.emplace_back(*entry);
        }
        for (const auto& given : environment)
            if (given.find('=') != std::string::npos)
                variables.push_back(given);
        std::vector<char*> argv, envp;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        for (auto& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!output.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        }
        if (::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    [[nodiscard]] pid_t pid() const { return m_pid; }
    [[nodiscard]] bool started() const { return m_pid > 0; }

    // The exit status once the child has exited within `limit`; -signal when a signal ended it;
    // std::nullopt while it still runs.
    std::optional<int> waitFor(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (m_pid > 0 && !m_status) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            else if (std::chrono::steady_clock::now() >= end)
                break;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_status;
    }

  private:
    pid_t m_pid{-1};
    std::optional<int> m_status;
};
