#include "platform/desktop/NotificationBodyFormat.h"

#include <cstring>
#include <memory>

#include "platform/GObjectPtr.h"

namespace NotificationBodyFormat {
namespace {

constexpr int kTimeoutMilliseconds = 2000;

struct Question {
    GObjectPtr<GDBusConnection> bus;
    std::function<void(bool)> then;
    bool mustCheckGtkInterface = true;
};

// GNOTIFICATION_BACKEND chooses GLib's route; without it a sandbox goes through the portal.
bool glibMayUseFreedesktop(bool& certain) {
    const char* chosen = g_getenv("GNOTIFICATION_BACKEND");
    certain = chosen != nullptr;
    if (chosen) return std::strcmp(chosen, "freedesktop") == 0;
    return !g_file_test("/.flatpak-info", G_FILE_TEST_EXISTS);
}

void on_gtk_interface_owner(GObject* bus, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Question> question(static_cast<Question*>(data));
    GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr));
    gboolean owned = FALSE;
    if (reply) g_variant_get(reply.get(), "(b)", &owned);
    question->then(!owned);
}

void on_capabilities(GObject* bus, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Question> question(static_cast<Question*>(data));
    GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr));
    bool rendersMarkup = false;
    if (reply) {
        GVariantPtr capabilities(g_variant_get_child_value(reply.get(), 0));
        const std::unique_ptr<const gchar*, GFree> names(g_variant_get_strv(capabilities.get(), nullptr));
        for (const gchar** name = names.get(); *name; ++name)
            rendersMarkup = rendersMarkup || std::strcmp(*name, "body-markup") == 0;
    }
    if (!rendersMarkup || !question->mustCheckGtkInterface) {
        question->then(rendersMarkup);
        return;
    }
    GDBusConnection* connection = question->bus.get();
    g_dbus_connection_call(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", g_variant_new("(s)", "org.gtk.Notifications"), G_VARIANT_TYPE("(b)"),
                           G_DBUS_CALL_FLAGS_NONE, kTimeoutMilliseconds, nullptr, &on_gtk_interface_owner,
                           question.release());
}

}  // namespace

void whenKnown(GDBusConnection* bus, std::function<void(bool isMarkup)> then) {
    bool certain = false;
    if (!bus || !glibMayUseFreedesktop(certain)) {
        then(false);
        return;
    }
    auto* question = new Question{retainObject(bus), std::move(then), !certain};
    g_dbus_connection_call(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                           "org.freedesktop.Notifications", "GetCapabilities", nullptr, G_VARIANT_TYPE("(as)"),
                           G_DBUS_CALL_FLAGS_NONE, kTimeoutMilliseconds, nullptr, &on_capabilities, question);
}

std::string escaped(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char character : text) {
        switch (character) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        default: result += character;
        }
    }
    return result;
}

}  // namespace NotificationBodyFormat
