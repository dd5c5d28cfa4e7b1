#pragma once
// What the screens, and the windows they open, need of the application: the main window, the
// dialogs, the desktop services for the page's notices, the next screen, restart and quit. The
// application implements it and hands it to every screen it makes, so that nothing below the
// application reaches up to it and no screen knows another.

#include <giomm/application.h>
#include <gtkmm/window.h>

#include "platform/desktop/Attention.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/LauncherEntry.h"

class Q7ZScreenHost {
public:
    enum class Screen { EnterEnterpriseCode, MultipleServerSelect, WebView };

    virtual Gtk::Window& mainWindow() = 0;
    virtual Dialogs& dialogs() = 0;
    // The application registered on the session bus, which sends the desktop notifications.
    virtual Glib::RefPtr<Gio::Application> notifyingApplication() = 0;
    // The launcher entry (badge, progress) and the attention request; null where there are none.
    virtual LauncherEntry* launcherEntry() = 0;
    virtual Attention* attention() = 0;

    // Replaces the main window's screen; the one shown lives until the main loop is idle.
    virtual void showScreen(Screen screen) = 0;
    // Quits; with a restart, the login-item helper starts the program again.
    virtual void terminate() = 0;
    virtual void requestRestart() = 0;

protected:
    ~Q7ZScreenHost() = default;
};
