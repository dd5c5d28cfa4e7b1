#include "support/DemoServer.h"

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartLimit = std::chrono::seconds(15);

// The first line read from fd, or "" when none arrives within the limit.
std::string firstLine(int fd) {
    const auto deadline = Clock::now() + kStartLimit;
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return "";
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) return "";
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text.substr(0, text.find('\n'));
}

}  // namespace

DemoServer::DemoServer(const std::string& dataFolder) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const std::string program = VELLOQ_BINARY_DIR "/tools/demo-server/velloq-demo-server";
    const char* argv[] = {program.c_str(),      "--port", "0", "--bind", "127.0.0.1", "--data", dataFolder.c_str(),
                          "--with-test-routes", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    m_stdoutFd = fds[0];

    const std::string prefix = "listening on ", line = m_pid > 0 ? firstLine(m_stdoutFd) : "";
    if (line.rfind(prefix, 0) != 0) {
        stop();
        throw std::runtime_error("demo server did not start (is " + program + " built?): " + line);
    }
    m_baseUrl = line.substr(prefix.size());
    m_port = std::stoi(m_baseUrl.substr(m_baseUrl.rfind(':') + 1));
}

void DemoServer::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);  // it keeps nothing that a kill could lose
        waitpid(std::exchange(m_pid, -1), nullptr, 0);
    }
    if (m_stdoutFd >= 0) close(std::exchange(m_stdoutFd, -1));
}
