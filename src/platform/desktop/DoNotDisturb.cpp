#include "platform/desktop/DoNotDisturb.h"

#include "platform/SessionBus.h"

namespace {

constexpr const char* kGnomeSchema = "org.gnome.desktop.notifications";
constexpr const char* kServerName = "org.freedesktop.Notifications";

bool hasGnomeSchema() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, kGnomeSchema, TRUE) : nullptr;
    const bool found = schema && g_settings_schema_has_key(schema, "show-banners");
    if (schema) g_settings_schema_unref(schema);
    return found;
}

}  // namespace

DoNotDisturb::DoNotDisturb(GDBusConnection* connection) : m_cancellable(g_cancellable_new()) {
    if (hasGnomeSchema()) m_gnomeNotifications = Gio::Settings::create(kGnomeSchema);
    // Made without waiting on the bus; until then, and while no server runs, it is not inhibited.
    const auto bus = SessionBus::resolve(connection);
    if (!bus) return;
    g_dbus_proxy_new(bus.get(), G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START, nullptr, kServerName,
                     "/org/freedesktop/Notifications", kServerName, m_cancellable.get(),
                     &DoNotDisturb::on_server_proxyMade, this);
}

DoNotDisturb::~DoNotDisturb() { g_cancellable_cancel(m_cancellable.get()); }

void DoNotDisturb::on_server_proxyMade(GObject*, GAsyncResult* result, gpointer self) {
    GError* error = nullptr;
    GObjectPtr<GDBusProxy> proxy(g_dbus_proxy_new_finish(result, &error));
    const GErrorPtr failure(error);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;  // self is gone
    if (!proxy) g_debug("the notification server's do-not-disturb cannot be followed: %s", error->message);
    static_cast<DoNotDisturb*>(self)->m_server = std::move(proxy);
}

bool DoNotDisturb::isOn() const {
    if (m_gnomeNotifications && !m_gnomeNotifications->get_boolean("show-banners")) return true;
    if (!m_server) return false;
    const GVariantPtr inhibited(g_dbus_proxy_get_cached_property(m_server.get(), "Inhibited"));
    return inhibited && g_variant_is_of_type(inhibited.get(), G_VARIANT_TYPE_BOOLEAN) &&
           g_variant_get_boolean(inhibited.get());
}
