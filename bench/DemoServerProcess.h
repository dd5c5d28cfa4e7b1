#pragma once
// The build's demo server on a free loopback port for a benchmark, stopped when this goes.

#include <csignal>
#include <cstdio>
#include <string>

#include <glib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr int kServerStartMilliseconds = 15000;

class DemoServerProcess {
public:
    explicit DemoServerProcess(const std::string& program) {
        const char* argv[] = {program.c_str(), "--port", "0", "--bind", "127.0.0.1", nullptr};
        int out = -1;
        GError* error = nullptr;
        if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                      nullptr, &m_pid, nullptr, &out, nullptr, &error)) {
            std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), error->message);
            g_error_free(error);
            return;
        }
        m_out = out;
        m_baseUrl = listeningAddress(out);
    }
    ~DemoServerProcess() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        g_spawn_close_pid(m_pid);
        close(m_out);
    }
    DemoServerProcess(const DemoServerProcess&) = delete;
    DemoServerProcess& operator=(const DemoServerProcess&) = delete;

    // "http://127.0.0.1:PORT/", or "" when the server did not start.
    const std::string& baseUrl() const { return m_baseUrl; }

private:
    // From the server's one line "listening on URL".
    static std::string listeningAddress(int out) {
        std::string text;
        char buffer[256];
        pollfd readable{out, POLLIN, 0};
        while (text.find('\n') == std::string::npos && poll(&readable, 1, kServerStartMilliseconds) > 0) {
            const ssize_t count = read(out, buffer, sizeof buffer);
            if (count <= 0) break;
            text.append(buffer, static_cast<std::size_t>(count));
        }
        const std::string prefix = "listening on ";
        if (text.rfind(prefix, 0) != 0 || text.find('\n') == std::string::npos) return {};
        return text.substr(prefix.size(), text.find('\n') - prefix.size());
    }

    GPid m_pid = 0;
    int m_out = -1;  // open while the server runs, so that a write of its never meets a closed pipe
    std::string m_baseUrl;
};
