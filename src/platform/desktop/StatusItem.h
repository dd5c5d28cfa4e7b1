#pragma once
// The application's icon in the desktop's status area: a StatusNotifierItem
// (org.kde.StatusNotifierItem at /StatusNotifierItem) under its own bus name, registered with
// the org.kde.StatusNotifierWatcher whenever one is on the bus (now or later; a restarted
// watcher gets it again). With no watcher there is simply no icon.
//
// Activate (a primary click) calls onActivate; the context menu (com.canonical.dbusmenu at
// /StatusNotifierItem/Menu) offers Show, which calls onActivate too, Downloads (with a label for
// it) and Quit.

#include <functional>
#include <memory>
#include <string>

#include "platform/GObjectPtr.h"
#include "platform/desktop/StatusMenu.h"

class StatusItem {
public:
    struct Options {
        std::string id;        // Id property, e.g. the application id
        std::string title;     // Title property
        std::string toolTip;   // tool tip title
        std::string iconPath;  // image file sent as IconPixmap; when it cannot be read...
        std::string iconName;  // ...this themed icon name is sent instead
        StatusMenu::Labels menuLabels;
    };
    struct Callbacks {
        std::function<void()> onActivate;
        std::function<void()> onQuit;
        std::function<void()> onShowDownloads{};
    };

    static constexpr const char* kObjectPath = "/StatusNotifierItem";
    static constexpr const char* kMenuPath = "/StatusNotifierItem/Menu";
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

    // connection: null means the session bus; without one the item does nothing.
    StatusItem(Options options, Callbacks callbacks, GDBusConnection* connection = nullptr);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    // The well-known name the item owns, as given to the watcher.
    const std::string& busName() const { return m_busName; }
    // A watcher accepted the registration and is still on the bus.
    bool isRegistered() const { return m_registered; }

private:
    struct Icon;

    void exportItem();
    void registerWithWatcher();
    void on_watcher_appeared();
    void on_watcher_vanished();
    void on_item_activate();
    GVariant* property(const std::string& name) const;
    GVariant* iconPixmap() const;

    static void handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* methodName,
                                 GVariant*, GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* handleGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                       const gchar* propertyName, GError**, gpointer self);

    Options m_options;
    Callbacks m_callbacks;
    GObjectPtr<GDBusConnection> m_connection;
    GObjectPtr<GCancellable> m_cancellable;
    std::unique_ptr<StatusMenu> m_menu;
    std::unique_ptr<Icon> m_icon;
    std::string m_busName;
    guint m_registrationId = 0;
    guint m_ownerId = 0;
    guint m_watchId = 0;
    bool m_registered = false;
};
