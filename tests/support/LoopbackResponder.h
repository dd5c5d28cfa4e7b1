#pragma once
// A stand-in HTTP server on a free loopback port, serving on a thread of its own: each
// connection gets the answer set last, whole, after the first piece of its request, whose first
// line is noted. The rest of the request is read until the client hangs up, so that closing
// never resets a connection whose request was still arriving. No gtest: fuzz targets use it too.

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackResponder {
public:
    explicit LoopbackResponder(std::string answer = "") : m_answer(std::move(answer)) {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_listener, 8);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackResponder() {
        shutdown(m_listener, SHUT_RDWR);  // ends the accept below
        m_thread.join();
        close(m_listener);
    }
    LoopbackResponder(const LoopbackResponder&) = delete;
    LoopbackResponder& operator=(const LoopbackResponder&) = delete;

    // "http://127.0.0.1:PORT/"
    std::string address() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    void setAnswer(std::string answer) {
        std::lock_guard lock(m_mutex);
        m_answer = std::move(answer);
    }
    std::vector<std::string> requestLines() {
        std::lock_guard lock(m_mutex);
        return m_requestLines;
    }

private:
    void serve() {
        for (int connection; (connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;
             close(connection)) {
            std::string request(4096, '\0'), answer;
            request.resize(std::max<ssize_t>(0, recv(connection, request.data(), request.size(), 0)));
            {
                std::lock_guard lock(m_mutex);
                m_requestLines.push_back(request.substr(0, request.find("\r\n")));
                answer = m_answer;
            }
            send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
            shutdown(connection, SHUT_WR);
            for (char buffer[4096]; recv(connection, buffer, sizeof buffer, 0) > 0;) {}
        }
    }

    int m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int m_port = 0;
    std::string m_answer;
    std::vector<std::string> m_requestLines;
    std::mutex m_mutex;
    std::thread m_thread;
};
