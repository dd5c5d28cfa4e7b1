#include "platform/desktop/SessionBus.h"

namespace SessionBus {

GObjectPtr<GDBusConnection> resolve(GDBusConnection* connection) {
    if (connection) return retainObject(connection);
    return GObjectPtr<GDBusConnection>(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
}

}  // namespace SessionBus
