#pragma once
// A desktop's status area as the application sees it on the bus: owns
// org.kde.StatusNotifierWatcher, accepts RegisterStatusNotifierItem and records the items. Incoming
// calls are handled while the default main context is iterated.

#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class StatusNotifierWatcherFake {
public:
    // connection is borrowed and must outlive the fake.
    explicit StatusNotifierWatcherFake(GDBusConnection* connection) : m_connection(connection) {
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(R"(
            <node><interface name="org.kde.StatusNotifierWatcher">
              <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
            </interface></node>)", nullptr);
        static const GDBusInterfaceVTable vtable = {&handleMethodCall, nullptr, nullptr, {}};
        m_registrationId = g_dbus_connection_register_object(connection, "/StatusNotifierWatcher", node->interfaces[0],
                                                             &vtable, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        m_ownerId = g_bus_own_name_on_connection(
            connection, "org.kde.StatusNotifierWatcher", G_BUS_NAME_OWNER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, gpointer self) { static_cast<StatusNotifierWatcherFake*>(self)->m_ownsName = true; },
            [](GDBusConnection*, const gchar*, gpointer self) { static_cast<StatusNotifierWatcherFake*>(self)->m_ownsName = false; },
            this, nullptr);
    }
    ~StatusNotifierWatcherFake() {
        g_bus_unown_name(m_ownerId);
        g_dbus_connection_unregister_object(m_connection, m_registrationId);
    }
    StatusNotifierWatcherFake(const StatusNotifierWatcherFake&) = delete;
    StatusNotifierWatcherFake& operator=(const StatusNotifierWatcherFake&) = delete;

    bool ownsName() const { return m_ownsName; }
    // The bus names the items registered with, oldest first.
    const std::vector<std::string>& registrations() const { return m_registrations; }

private:
    static void handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                 GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        static_cast<StatusNotifierWatcherFake*>(self)->m_registrations.emplace_back(service);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    GDBusConnection* m_connection;
    guint m_registrationId = 0;
    guint m_ownerId = 0;
    bool m_ownsName = false;
    std::vector<std::string> m_registrations;
};
