#pragma once
// A session bus daemon of one test's own (dbus-daemon --session --nofork), so programs that a
// test starts own their names without meeting those of tests running in parallel. The daemon
// is stopped and reaped when the object goes.

#include <sys/types.h>

#include <string>

#include "platform/desktop/GObjectPtr.h"

class PrivateBusDaemon {
public:
    // Fails the current test (and leaves address() empty) when the daemon cannot start.
    PrivateBusDaemon();
    ~PrivateBusDaemon();
    PrivateBusDaemon(const PrivateBusDaemon&) = delete;
    PrivateBusDaemon& operator=(const PrivateBusDaemon&) = delete;

    const std::string& address() const { return m_address; }
    // A new connection to the bus, as another program on it; null when it cannot connect.
    GObjectPtr<GDBusConnection> connect() const;

private:
    pid_t m_pid = -1;
    std::string m_address;
};
