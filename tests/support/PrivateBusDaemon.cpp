#include "support/PrivateBusDaemon.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/ChildProcessReaper.h"

extern char** environ;

namespace {

constexpr int kStartTimeoutMs = 10000;

// The first line the daemon prints, read with a time limit.
std::string readAddressLine(int fd) {
    std::string line;
    pollfd watched{fd, POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&watched, 1, kStartTimeoutMs) > 0) {
        char buffer[256];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) break;
        line.append(buffer, static_cast<std::size_t>(count));
    }
    if (auto end = line.find('\n'); end != std::string::npos) line.resize(end);
    return line;
}

}  // namespace

PrivateBusDaemon::PrivateBusDaemon() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        ADD_FAILURE() << "no pipe for dbus-daemon";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    // Its complaints about resource limits are noise in the test log.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>("--session"),
                    const_cast<char*>("--nofork"), const_cast<char*>("--nopidfile"),
                    const_cast<char*>("--print-address=1"), nullptr};
    const int spawned = posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(pipeFds[0]);
        ADD_FAILURE() << "dbus-daemon could not be started";
        return;
    }
    m_address = readAddressLine(pipeFds[0]);
    close(pipeFds[0]);
    if (m_address.empty()) ADD_FAILURE() << "dbus-daemon printed no address";
}

PrivateBusDaemon::~PrivateBusDaemon() {
    if (m_pid > 0) ChildProcessReaper::terminateAndReap(m_pid);
}

GObjectPtr<GDBusConnection> PrivateBusDaemon::connect() const {
    if (m_address.empty()) return nullptr;
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return GObjectPtr<GDBusConnection>(
        g_dbus_connection_new_for_address_sync(m_address.c_str(), flags, nullptr, nullptr, nullptr));
}
