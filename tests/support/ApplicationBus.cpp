#include "support/ApplicationBus.h"

#include <thread>

#include "BuildConfig.h"

namespace {

constexpr int kCallTimeoutMs = 5000;

}  // namespace

ApplicationBus::ApplicationBus(GObjectPtr<GDBusConnection> connection, std::string applicationId)
    : m_connection(std::move(connection)),
      m_applicationId(applicationId.empty() ? std::string(BuildConfig::kAppId) : std::move(applicationId)) {}

std::string ApplicationBus::objectPathFor(const std::string& applicationId) {
    std::string path = "/" + applicationId;
    for (char& character : path) {
        if (character == '.') character = '/';
        else if (character == '-') character = '_';
    }
    return path;
}

GVariantPtr ApplicationBus::call(const std::string& busName, const std::string& objectPath,
                                 const std::string& interface, const std::string& method, GVariant* parameters,
                                 const GVariantType* replyType) const {
    if (!m_connection) {
        if (parameters) g_variant_unref(g_variant_ref_sink(parameters));
        return nullptr;
    }
    return GVariantPtr(g_dbus_connection_call_sync(m_connection.get(), busName.c_str(), objectPath.c_str(),
                                                   interface.c_str(), method.c_str(), parameters, replyType,
                                                   G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr));
}

bool ApplicationBus::nameHasOwner(const std::string& name) const {
    auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                      g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"));
    gboolean owned = FALSE;
    if (reply) g_variant_get(reply.get(), "(b)", &owned);
    return owned;
}

std::optional<pid_t> ApplicationBus::ownerPid(const std::string& name) const {
    auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                      "GetConnectionUnixProcessID", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(u)"));
    if (!reply) return std::nullopt;
    guint32 pid = 0;
    g_variant_get(reply.get(), "(u)", &pid);
    return static_cast<pid_t>(pid);
}

std::optional<std::string> ApplicationBus::actionState(const std::string& action) const {
    auto reply = call(m_applicationId, objectPathFor(m_applicationId), "org.gtk.Actions", "Describe",
                      g_variant_new("(s)", action.c_str()), G_VARIANT_TYPE("((bgav))"));
    if (!reply) return std::nullopt;
    GVariantPtr description(g_variant_get_child_value(reply.get(), 0));
    GVariantPtr states(g_variant_get_child_value(description.get(), 2));
    if (g_variant_n_children(states.get()) != 1) return std::nullopt;
    GVariantPtr boxed(g_variant_get_child_value(states.get(), 0));
    GVariantPtr state(g_variant_get_variant(boxed.get()));
    if (!g_variant_is_of_type(state.get(), G_VARIANT_TYPE_STRING)) return std::nullopt;
    return std::string(g_variant_get_string(state.get(), nullptr));
}

bool ApplicationBus::activateAction(const std::string& action) const {
    auto reply = call(m_applicationId, objectPathFor(m_applicationId), "org.gtk.Actions", "Activate",
                      g_variant_new("(s@av@a{sv})", action.c_str(), g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0),
                                    g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
                      G_VARIANT_TYPE_UNIT);
    return reply != nullptr;
}

bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}
