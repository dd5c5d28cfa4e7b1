#pragma once
// A session bus of the test's own (GTestDBus), so names owned and signals watched by one test
// never meet those of programs running in parallel. While it is up, DBUS_SESSION_BUS_ADDRESS
// points at it, so the programs a test starts use it too.
//
// A test program has one: PrivateSessionBus::instance() starts it on first use, so call it
// before anything connects to the session bus (GtkTestEnvironment does).

#include <string>

#include <gio/gio.h>

#include "platform/GObjectPtr.h"

class PrivateSessionBus {
public:
    static PrivateSessionBus& instance();

    // A connection of its own to the bus, separate from the process's shared session
    // connection: a peer as another program would see it. Fails the test when it cannot connect.
    GObjectPtr<GDBusConnection> connect() const;

private:
    PrivateSessionBus();
    ~PrivateSessionBus();

    GTestDBus* m_bus = nullptr;
    std::string m_address;
};
