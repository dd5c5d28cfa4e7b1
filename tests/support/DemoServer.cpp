#include "support/DemoServer.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto kStartLimit = std::chrono::seconds(15);
constexpr auto kStopLimit = std::chrono::seconds(5);

// Holds both ends of a pipe and closes whatever was not handed on.
class Pipe {
public:
    Pipe() {
        if (pipe2(m_fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        for (int fd : m_fds)
            if (fd >= 0) close(fd);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return m_fds[0]; }
    int writeEnd() const { return m_fds[1]; }
    int releaseReadEnd() { return std::exchange(m_fds[0], -1); }
    int releaseWriteEnd() { return std::exchange(m_fds[1], -1); }
    void closeReadEnd() { close(std::exchange(m_fds[0], -1)); }
    void closeWriteEnd() { close(std::exchange(m_fds[1], -1)); }

private:
    int m_fds[2] = {-1, -1};
};

// Child with stdin and stdout on the given pipe ends (-1: inherited).
pid_t spawnProgram(const std::vector<std::string>& arguments, int stdinFd, int stdoutFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(failed));
    return pid;
}

bool waitForExit(pid_t pid, std::chrono::steady_clock::duration limit, int* status) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Reads what arrives on fd until the deadline or the end of the stream.
bool readWithDeadline(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
                      const std::function<bool(const std::string&)>& enough) {
    while (!enough(text)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) return enough(text);
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

}  // namespace

std::string DemoServer::defaultDataFolder() { return VELLOQ_SOURCE_DIR "/tools/demo-server/data"; }
std::string DemoServer::serverProgram() { return VELLOQ_BINARY_DIR "/tools/demo-server/velloq-demo-server"; }
std::string DemoServer::signerProgram() { return VELLOQ_BINARY_DIR "/tools/demo-server/velloq-sign-setting-code"; }
std::string testPrivateKeyPath() { return VELLOQ_SOURCE_DIR "/tools/demo-server/keys/test-private.pem"; }
std::string testPublicKeyPath() { return VELLOQ_SOURCE_DIR "/tools/demo-server/keys/test-public.pem"; }

DemoServer::DemoServer(const std::string& dataFolder, int port) {
    Pipe output;
    m_pid = spawnProgram({serverProgram(), "--port", std::to_string(port), "--bind", "127.0.0.1", "--data", dataFolder,
                          "--with-test-routes"},
                         -1, output.writeEnd());
    output.closeWriteEnd();
    m_stdoutFd = output.releaseReadEnd();
    try {
        waitForListeningLine();
    } catch (...) {
        stop();
        throw;
    }
}

DemoServer::~DemoServer() { stop(); }

std::string DemoServer::url(const std::string& path) const {
    return m_baseUrl + (path.rfind('/', 0) == 0 ? path.substr(1) : path);
}

void DemoServer::waitForListeningLine() {
    std::string text;
    const auto hasLine = [](const std::string& t) { return t.find('\n') != std::string::npos; };
    if (!readWithDeadline(m_stdoutFd, text, std::chrono::steady_clock::now() + kStartLimit, hasLine))
        throw std::runtime_error("demo server did not announce itself (is it built? " + serverProgram() + ")");
    const std::string prefix = "listening on ";
    const std::string line = text.substr(0, text.find('\n'));
    if (line.rfind(prefix, 0) != 0) throw std::runtime_error("unexpected demo server output: " + line);
    m_baseUrl = line.substr(prefix.size());
    const std::size_t colon = m_baseUrl.rfind(':');
    m_port = std::stoi(m_baseUrl.substr(colon + 1));
}

void DemoServer::stop() {
    if (m_pid > 0) {
        int status = 0;
        kill(m_pid, SIGTERM);
        if (!waitForExit(m_pid, kStopLimit, &status)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    if (m_stdoutFd >= 0) close(std::exchange(m_stdoutFd, -1));
}

std::optional<std::string> signSettingCode(const std::string& payloadJson, const std::string& baseUrl,
                                           const std::string& keyPath) {
    Pipe input;
    Pipe output;
    const pid_t pid = spawnProgram({DemoServer::signerProgram(), "--key", keyPath.empty() ? testPrivateKeyPath() : keyPath,
                                    "--base", baseUrl, "-"},
                                   input.readEnd(), output.writeEnd());
    input.closeReadEnd();
    output.closeWriteEnd();
    // The tool reads all its input before it writes, so this write cannot wait on our reading.
    const bool written = write(input.writeEnd(), payloadJson.data(), payloadJson.size()) ==
                         static_cast<ssize_t>(payloadJson.size());
    input.closeWriteEnd();
    std::string token;
    readWithDeadline(output.readEnd(), token, std::chrono::steady_clock::now() + kStartLimit,
                     [](const std::string&) { return false; });
    int status = 0;
    if (!waitForExit(pid, kStopLimit, &status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return std::nullopt;
    }
    if (!written || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
    return token;
}
