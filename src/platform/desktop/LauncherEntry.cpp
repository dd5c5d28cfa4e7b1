#include "platform/desktop/LauncherEntry.h"

#include <algorithm>

#include "platform/SessionBus.h"

namespace {

constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";

// A stable object path per application, as the dock only keys on the app URI.
std::string objectPathFor(const std::string& appUri) {
    return "/com/canonical/unity/launcherentry/" + std::to_string(g_str_hash(appUri.c_str()));
}

}  // namespace

LauncherEntry::LauncherEntry(const std::string& appId, GDBusConnection* connection)
    : m_connection(SessionBus::resolve(connection)),
      m_appUri(appUriFor(appId)),
      m_objectPath(objectPathFor(m_appUri)) {}

std::string LauncherEntry::appUriFor(const std::string& appId) { return "application://" + appId + ".desktop"; }

void LauncherEntry::setCount(std::int64_t count) {
    m_count = count > 0 ? count : 0;
    emitUpdate();
}

void LauncherEntry::setUrgent(bool urgent) {
    m_urgent = urgent;
    emitUpdate();
}

void LauncherEntry::setProgress(std::optional<double> progress) {
    if (progress) progress = std::clamp(*progress, 0.0, 1.0);
    if (progress == m_progress) return;
    m_progress = progress;
    emitUpdate();
}

void LauncherEntry::emitUpdate() {
    if (!m_connection) return;
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&properties, "{sv}", "count", g_variant_new_int64(m_count));
    g_variant_builder_add(&properties, "{sv}", "count-visible", g_variant_new_boolean(m_count > 0));
    g_variant_builder_add(&properties, "{sv}", "urgent", g_variant_new_boolean(m_urgent));
    g_variant_builder_add(&properties, "{sv}", "progress", g_variant_new_double(m_progress.value_or(0.0)));
    g_variant_builder_add(&properties, "{sv}", "progress-visible", g_variant_new_boolean(m_progress.has_value()));
    // A dock that is not running simply does not hear it; there is nothing to report.
    g_dbus_connection_emit_signal(m_connection.get(), nullptr, m_objectPath.c_str(), kInterface, "Update",
                                  g_variant_new("(sa{sv})", m_appUri.c_str(), &properties), nullptr);
}
