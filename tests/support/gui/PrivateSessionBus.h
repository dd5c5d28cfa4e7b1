#pragma once
// A session bus of the test program's own (GTestDBus), so names owned and signals watched by
// one test program never meet those of programs running in parallel.
//
// PrivateSessionBus::instance() starts it on first use and points DBUS_SESSION_BUS_ADDRESS at
// it, so call it before anything connects to the session bus (GtkTestEnvironment does). The
// daemon is stopped when the program ends.

#include <string>

#include <gio/gio.h>

#include "platform/GObjectPtr.h"

class PrivateSessionBus {
public:
    static PrivateSessionBus& instance();

    // A connection of its own to the bus, separate from the process's shared session
    // connection: a peer as another program would see it. Fails the test when it cannot connect.
    GObjectPtr<GDBusConnection> connect() const;

    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

private:
    PrivateSessionBus();

    GTestDBus* m_bus = nullptr;
    std::string m_address;
};
