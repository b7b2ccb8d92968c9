#pragma once

// A tiny HTTP server on 127.0.0.1 for one connection at a time: it records each request's head and
// answers "200 OK", or, when told to stay silent, holds the connection open without a word.

#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

class LoopbackServer {
  public:
    enum class Answer { Ok, Never };

    explicit LoopbackServer(Answer answer) : m_answer(answer) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 8) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~LoopbackServer() {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] std::string origin() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    [[nodiscard]] std::vector<std::string> requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

  private:
    void serve() {
        while (!m_stopping) {
            int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                return;
            std::string head;
            char buffer[1024];
            while (head.find("\r\n\r\n") == std::string::npos) {
                ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                head.append(buffer, size_t(got));
            }
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(head);
            }
            if (m_answer == Answer::Ok) {
                const std::string reply =
                    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
                (void)::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
            } else {
                // Silent: wait until the client gives up and closes.
                while (::recv(connection, buffer, sizeof buffer, 0) > 0) {
                }
            }
            ::close(connection);
        }
    }

    Answer m_answer;
    int m_listener{-1};
    int m_port{0};
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
