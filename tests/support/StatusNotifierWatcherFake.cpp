#include "support/StatusNotifierWatcherFake.h"

namespace {

constexpr const char* kWatcherXml = R"(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
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

std::pair<std::string, std::string> StatusNotifierWatcherFake::lastItemAddress() const {
    if (m_registrations.empty()) return {};
    const auto& last = m_registrations.back();
    // The protocol allows either a bus name (item at /StatusNotifierItem) or an object
    // path on the caller's own connection.
    if (!last.service.empty() && last.service.front() == '/') return {last.sender, last.service};
    return {last.service, "/StatusNotifierItem"};
}

void StatusNotifierWatcherFake::handleMethodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                                 const gchar* methodName, GVariant* parameters,
                                                 GDBusMethodInvocation* invocation, gpointer self) {
    auto* watcher = static_cast<StatusNotifierWatcherFake*>(self);
    if (g_strcmp0(methodName, "RegisterStatusNotifierItem") == 0) {
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        watcher->m_registrations.push_back({sender ? sender : "", service ? service : ""});
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}
