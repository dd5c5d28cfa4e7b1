#pragma once
// A session bus of the test's own (GTestDBus), so names owned and signals watched by one test
// never meet those of programs running in parallel. While it is up, DBUS_SESSION_BUS_ADDRESS
// points at it, so the programs a test starts use it too.
//
// A test program has one: PrivateSessionBus::instance() starts it on first use, so call it
// before anything connects to the session bus (GtkTestEnvironment does).

#include <string>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/GObjectPtr.h"

class PrivateSessionBus {
public:
    static PrivateSessionBus& instance() {
        static PrivateSessionBus bus;
        return bus;
    }

    // A connection of its own to the bus, separate from the process's shared session
    // connection: a peer as another program would see it. Fails the test when it cannot connect.
    GObjectPtr<GDBusConnection> connect() const {
        GError* error = nullptr;
        GDBusConnection* connection =
            g_dbus_connection_new_for_address_sync(m_address.c_str(),
                                                   GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                                   nullptr, nullptr, &error);
        GErrorPtr failure(error);
        if (!connection) ADD_FAILURE() << "cannot connect to the private bus: " << failure->message;
        return GObjectPtr<GDBusConnection>(connection);
    }

private:
    PrivateSessionBus() {
        // up() clears DISPLAY along with the bus variables; the tests still need the X server.
        const std::string savedDisplay = g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "";
        g_test_dbus_up(m_bus);
        if (!savedDisplay.empty()) g_setenv("DISPLAY", savedDisplay.c_str(), TRUE);
        if (const char* address = g_test_dbus_get_bus_address(m_bus)) m_address = address;
    }
    // stop, not down: down would wait for every user of the shared connection to let go, and
    // GTK keeps its own until the process ends. The object is not unreffed for the same
    // reason (its finalizer would go down).
    ~PrivateSessionBus() { g_test_dbus_stop(m_bus); }

    GTestDBus* m_bus = g_test_dbus_new(G_TEST_DBUS_NONE);
    std::string m_address;
};
