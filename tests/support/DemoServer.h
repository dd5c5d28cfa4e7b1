#pragma once
// The built demo organisation server (tools/demo-server), run as a child process on a free
// loopback port for one test. The constructor returns once the server accepts connections;
// the destructor kills it and reaps it.

#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <utility>

#include <glib.h>

class DemoServer {
public:
    // Serves the /test/ routes too, on a free port. Throws std::runtime_error when the server
    // cannot be started within a few seconds.
    explicit DemoServer(const std::string& dataFolder = defaultDataFolder()) {
        const std::string program = VELLOQ_BINARY_DIR "/tools/demo-server/velloq-demo-server";
        const char* argv[] = {program.c_str(),      "--port", "0", "--bind", "127.0.0.1", "--data", dataFolder.c_str(),
                              "--with-test-routes", nullptr};
        // On failure m_pid stays -1, and no line comes.
        g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                 nullptr, &m_pid, nullptr, &m_stdoutFd, nullptr, nullptr);

        const std::string prefix = "listening on ", line = m_pid > 0 ? firstLine(m_stdoutFd) : "";
        if (line.rfind(prefix, 0) != 0) {
            stop();
            throw std::runtime_error("demo server did not start (is " + program + " built?): " + line);
        }
        m_baseUrl = line.substr(prefix.size());
        m_port = std::stoi(m_baseUrl.substr(m_baseUrl.rfind(':') + 1));
    }
    ~DemoServer() { stop(); }
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // "http://127.0.0.1:PORT/"
    const std::string& baseUrl() const { return m_baseUrl; }
    int port() const { return m_port; }
    // baseUrl() followed by path (without its leading "/").
    std::string url(const std::string& path) const {
        return m_baseUrl + (path.rfind('/', 0) == 0 ? path.substr(1) : path);
    }

    static std::string defaultDataFolder() { return VELLOQ_SOURCE_DIR "/tools/demo-server/data"; }

private:
    // The first line read from fd, or "" when none arrives within the start limit.
    static std::string firstLine(int fd) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        std::string text;
        for (char buffer[4096]; text.find('\n') == std::string::npos;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return "";
            pollfd readable{fd, POLLIN, 0};
            if (poll(&readable, 1, static_cast<int>(left)) <= 0) continue;
            const ssize_t count = read(fd, buffer, sizeof buffer);
            if (count <= 0) return "";
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text.substr(0, text.find('\n'));
    }
    void stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);  // it keeps nothing that a kill could lose
            waitpid(std::exchange(m_pid, -1), nullptr, 0);
        }
        if (m_stdoutFd >= 0) close(std::exchange(m_stdoutFd, -1));
    }

    pid_t m_pid = -1;
    int m_stdoutFd = -1;  // kept open while the server runs, so its writes never meet a closed pipe
    int m_port = 0;
    std::string m_baseUrl;
};
