#include "platform/SessionBus.h"

namespace SessionBus {
namespace {

constexpr int kCallTimeoutMs = 2000;

}  // namespace

GObjectPtr<GDBusConnection> resolve(GDBusConnection* connection) {
    if (connection) return retainObject(connection);
    return GObjectPtr<GDBusConnection>(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
}

bool nameHasOwner(GDBusConnection* connection, const std::string& busName) {
    if (!connection || !g_dbus_is_name(busName.c_str())) return false;
    GVariantPtr reply(g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner",
                                                  g_variant_new("(s)", busName.c_str()), G_VARIANT_TYPE("(b)"),
                                                  G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr));
    gboolean owned = FALSE;
    if (reply) g_variant_get(reply.get(), "(b)", &owned);
    return owned;
}

}  // namespace SessionBus
