#include "support/PrivateSessionBus.h"

#include <gtest/gtest.h>

PrivateSessionBus& PrivateSessionBus::instance() {
    static PrivateSessionBus bus;
    return bus;
}

PrivateSessionBus::PrivateSessionBus() {
    // up() clears DISPLAY along with the bus variables; the tests still need the X server.
    const char* display = g_getenv("DISPLAY");
    const std::string savedDisplay = display ? display : "";
    m_bus = g_test_dbus_new(G_TEST_DBUS_NONE);
    g_test_dbus_up(m_bus);
    if (!savedDisplay.empty()) g_setenv("DISPLAY", savedDisplay.c_str(), TRUE);
    if (const char* address = g_test_dbus_get_bus_address(m_bus)) m_address = address;
}

PrivateSessionBus::~PrivateSessionBus() {
    // stop, not down: down would wait for every user of the shared connection to let go, and
    // GTK keeps its own until the process ends. The object is not unreffed for the same
    // reason (its finalizer would go down).
    g_test_dbus_stop(m_bus);
}

GObjectPtr<GDBusConnection> PrivateSessionBus::connect() const {
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
