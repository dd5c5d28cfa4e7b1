#include "platform/desktop/Workspace.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include <giomm/appinfo.h>
#include <giomm/file.h>
#include <glibmm/spawn.h>

#include "platform/SessionBus.h"

namespace {

std::string fileUri(const std::string& path) { return Gio::File::create_for_path(path)->get_uri(); }

// Addresses the program hands to the desktop. Anything else (file, javascript, data, a
// scheme some local program registered) could run or expose local things; files are opened
// through openFile. g_uri_peek_scheme answers in lower case.
bool isHandedToDesktop(const gchar* scheme) {
    static constexpr std::array<std::string_view, 4> kSchemes = {"http", "https", "mailto", "zoommtg"};
    return scheme && std::find(kSchemes.begin(), kSchemes.end(), scheme) != kSchemes.end();
}

bool launchDefault(const std::string& uri) {
    try {
        return Gio::AppInfo::launch_default_for_uri(uri);
    } catch (const Glib::Error&) {
        return false;
    }
}

}  // namespace

Workspace::Workspace(GDBusConnection* connection) : m_connection(SessionBus::resolve(connection)) {}

bool Workspace::openUrl(const std::string& uri) {
    if (uri.empty()) return false;
    const char* scheme = g_uri_peek_scheme(uri.c_str());  // interned, never freed
    if (!isHandedToDesktop(scheme)) {
        g_warning("Not opening an address of scheme \"%s\": only web, mail and meeting addresses are opened",
                  scheme ? scheme : "(none)");
        return false;
    }
    return launchDefault(uri);
}

bool Workspace::openFile(const std::string& path) {
    return !path.empty() && g_file_test(path.c_str(), G_FILE_TEST_EXISTS) && launchDefault(fileUri(path));
}

bool Workspace::revealFile(const std::string& path) {
    if (path.empty() || !g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return false;
    const std::string folderUri = Gio::File::create_for_path(path)->get_parent()->get_uri();
    if (!m_connection) return launchDefault(folderUri);
    showItemsInFileManager(fileUri(path), folderUri);
    return true;
}

// Asynchronous: a file manager started by D-Bus activation can take seconds to answer, and
// the caller is the main loop. The folder is opened only when no file manager takes the call.
void Workspace::showItemsInFileManager(const std::string& uri, const std::string& folderUriOnFailure) {
    const gchar* uris[] = {uri.c_str(), nullptr};
    g_dbus_connection_call(
        m_connection.get(), "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE,
        -1, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::string> folderUri(static_cast<std::string*>(data));
            GError* error = nullptr;
            GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
            GErrorPtr failure(error);
            if (!reply) launchDefault(*folderUri);
        },
        new std::string(folderUriOnFailure));
}

bool Workspace::launchProgram(const std::string& executablePath, const std::vector<std::string>& arguments) {
    if (executablePath.empty() || !g_file_test(executablePath.c_str(), G_FILE_TEST_IS_EXECUTABLE)) return false;
    std::vector<std::string> argv{executablePath};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    try {
        // No pid asked for: GLib detaches the child, so it is never left a zombie.
        Glib::spawn_async("", argv, Glib::SPAWN_DEFAULT);
        return true;
    } catch (const Glib::Error&) {
        return false;
    }
}

bool Workspace::hasHandlerForScheme(const std::string& scheme) {
    return !scheme.empty() && Gio::AppInfo::get_default_for_uri_scheme(scheme);
}
