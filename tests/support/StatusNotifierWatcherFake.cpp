#include "support/StatusNotifierWatcherFake.h"

namespace {

constexpr const char* kWatcherXml = R"(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  </interface>
</node>)";

}  // namespace

StatusNotifierWatcherFake::StatusNotifierWatcherFake(GDBusConnection* connection) : m_connection(connection) {
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
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

StatusNotifierWatcherFake::~StatusNotifierWatcherFake() {
    if (m_ownerId) g_bus_unown_name(m_ownerId);
    if (m_registrationId) g_dbus_connection_unregister_object(m_connection, m_registrationId);
}

void StatusNotifierWatcherFake::handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                                 GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
    const gchar* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    static_cast<StatusNotifierWatcherFake*>(self)->m_registrations.emplace_back(service);
    g_dbus_method_invocation_return_value(invocation, nullptr);
}
