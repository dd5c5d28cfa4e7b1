#pragma once
// Whether the desktop's do-not-disturb is on: GNOME's notification banners turned off
// (org.gnome.desktop.notifications show-banners false), or a notification server that
// implements the freedesktop Inhibited property saying so. Read when asked, so changes count at
// once; where neither source exists, it is off. Main thread only.

#include <giomm/settings.h>

#include "platform/GObjectPtr.h"

class DoNotDisturb {
public:
    // The session bus when connection is null.
    explicit DoNotDisturb(GDBusConnection* connection = nullptr);
    ~DoNotDisturb();
    DoNotDisturb(const DoNotDisturb&) = delete;
    DoNotDisturb& operator=(const DoNotDisturb&) = delete;

    bool isOn() const;

private:
    static void on_server_proxyMade(GObject*, GAsyncResult* result, gpointer self);

    Glib::RefPtr<Gio::Settings> m_gnomeNotifications;  // none without GNOME's schema
    GObjectPtr<GCancellable> m_cancellable;
    GObjectPtr<GDBusProxy> m_server;  // the notification server; its properties follow it
};
