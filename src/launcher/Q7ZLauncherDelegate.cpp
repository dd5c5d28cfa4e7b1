#include "launcher/Q7ZLauncherDelegate.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include "BuildConfig.h"
#include "platform/Bundle.h"
#include "platform/GObjectPtr.h"
#include "platform/SessionBus.h"

namespace {

std::string removingEveryOccurrence(std::string text, const std::string& part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
    return text;
}

std::string appendingPathComponent(const std::string& path, const std::string& component) {
    if (path.empty() || path.back() == '/') return path + component;
    return path + "/" + component;
}

}  // namespace

Q7ZLauncherDelegate::Q7ZLauncherDelegate(GMainLoop* loop) : m_loop(loop) {}

Q7ZLauncherDelegate::~Q7ZLauncherDelegate() {
    if (m_delaySourceId != 0) g_source_remove(m_delaySourceId);
}

void Q7ZLauncherDelegate::applicationDidFinishLaunching() {
    m_delaySourceId = g_timeout_add(kStartDelayMs, &Q7ZLauncherDelegate::on_start_delay_elapsed, this);
}

gboolean Q7ZLauncherDelegate::on_start_delay_elapsed(gpointer self) {
    auto* delegate = static_cast<Q7ZLauncherDelegate*>(self);
    delegate->m_delaySourceId = 0;
    delegate->delayToStartApp();
    return G_SOURCE_REMOVE;
}

std::string Q7ZLauncherDelegate::loginItemsPart() {
    return std::string("/Contents/Library/LoginItems/") + BuildConfig::kHelperName + ".app";
}

std::string Q7ZLauncherDelegate::executableComponent() {
    return std::string("Contents/MacOS/") + BuildConfig::kAppName;
}

std::string Q7ZLauncherDelegate::applicationExecutablePath(const std::string& helperBundlePath) {
    return appendingPathComponent(removingEveryOccurrence(helperBundlePath, loginItemsPart()), executableComponent());
}

void Q7ZLauncherDelegate::delayToStartApp() {
    const std::string executablePath = applicationExecutablePath(Bundle::mainBundle().bundlePath());
    // Not inside an application bundle: there is nothing to start, and nothing ends the helper.
    if (!g_file_test(executablePath.c_str(), G_FILE_TEST_EXISTS)) return;
    if (!isApplicationRunning()) launchApplication(executablePath);
    g_main_loop_quit(m_loop);
}

bool Q7ZLauncherDelegate::isApplicationRunning() const {
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    return SessionBus::nameHasOwner(bus.get(), BuildConfig::kAppId);
}

void Q7ZLauncherDelegate::launchApplication(const std::string& executablePath) const {
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib detaches the program, so it outlives the helper.
    gchar* argv[] = {const_cast<gchar*>(executablePath.c_str()), nullptr};
    g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, nullptr);
}
