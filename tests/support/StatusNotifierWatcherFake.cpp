#include "support/StatusNotifierWatcherFake.h"

namespace {

constexpr const char* kWatcherXml = R"(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)";

}  // namespace

StatusNotifierWatcherFake::StatusNotifierWatcherFake(GDBusConnection* connection) : m_connection(connection) {
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
    static const GDBusInterfaceVTable vtable = {&handleMethodCall, &handleGetProperty, nullptr, {}};
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
    // The specification allows either a bus name (item at /StatusNotifierItem) or an object
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

GVariant* StatusNotifierWatcherFake::handleGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                                       const gchar* propertyName, GError**, gpointer self) {
    auto* watcher = static_cast<StatusNotifierWatcherFake*>(self);
    if (g_strcmp0(propertyName, "IsStatusNotifierHostRegistered") == 0) return g_variant_new_boolean(TRUE);
    if (g_strcmp0(propertyName, "ProtocolVersion") == 0) return g_variant_new_int32(0);
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
    for (const auto& registration : watcher->m_registrations)
        g_variant_builder_add(&items, "s", registration.service.c_str());
    return g_variant_builder_end(&items);
}
