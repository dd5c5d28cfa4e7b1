#pragma once
// The application: its id is the bundle identifier, so the session bus keeps it to one
// instance and a second launch raises "activate" on the running one (the reopen path).
//
// At start-up it dresses the main window, adds the menus and the status item and places the
// first screen. The main window is never destroyed while the application runs: every close
// hides it, and reopen or the status item brings it back. A restart request quits, and the
// login-item helper is started on the way out so that it starts the application again.
//
// Application actions, also exported on the bus (org.gtk.Actions): "quit" (File > Quit and the
// desktop's quit) and the notification clicks. A restart is asked for from the settings window.
//
// It is the screens' host: every screen it makes is given it, and asks it for the next.

#include <memory>
#include <string>

#include <giomm/menu.h>
#include <gtkmm/application.h>

#include "BuildConfig.h"
#include "app/Q7ZMainWindow.h"
#include "controls/Q7ZScreenHost.h"
#include "controls/Q7ZViewController.h"
#include "platform/desktop/Attention.h"
#include "platform/desktop/GtkDialogs.h"
#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/StatusItem.h"

class AppDelegate : public Gtk::Application, public Q7ZScreenHost {
public:
    static constexpr const char* kQuitActionName = "quit";
    static constexpr const char* kChangeServerActionName = "changeServer";
    static constexpr const char* kCheckSpellingActionName = "checkSpelling";

    static Glib::RefPtr<AppDelegate> create(const std::string& applicationId = BuildConfig::kAppId);
    ~AppDelegate() override;

    Q7ZMainWindow* window() const { return m_window.get(); }
    bool isRestart() const { return m_isRestart; }

    // The controller's view becomes the main window's content, filling it.
    void installScreen(std::unique_ptr<Q7ZViewController> controller);

    Gtk::Window& mainWindow() override { return *m_window; }
    Dialogs& dialogs() override { return m_dialogs; }
    Glib::RefPtr<Gio::Application> notifyingApplication() override;
    // Null before start-up.
    LauncherEntry* launcherEntry() override { return m_launcherEntry.get(); }
    Attention* attention() override { return m_attention.get(); }
    void showScreen(Screen screen) override;
    // Quits, after asking when downloads are still running (File ▸ Quit, the status item, the
    // desktop's quit action, the page).
    void terminate() override;
    // Sets isRestart and quits, after asking as terminate does; the helper starts the
    // application again.
    void requestRestart() override;

protected:
    explicit AppDelegate(const std::string& applicationId);

    void on_startup() override;
    void on_activate() override;

private:
    void addApplicationActions();
    void applicationDidFinishLaunching();
    void dressMainWindow();
    void setMenuBar();
    static Glib::RefPtr<Gio::Menu> editMenu();
    void addStatusItem();
    // The first screen from the stored server list and server sequence. Stores the sequence
    // of a one-entry list and saves the settings whenever a list is stored.
    // File ▸ Change Server…: after a confirmation, the server selection when two or more
    // servers are stored, else the code entry; the stored servers stay until a new choice.
    void changeServer();
    static Screen chooseFirstScreen();
    void placeFirstScreen();
    void statusItemClick();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void bringAllWindowsForward();
    bool windowShouldClose();
    void windowDidBecomeMain();
    void windowDidResignMain();
    bool mayStopRunningDownloads(bool restart);
    void applicationWillTerminate();
    void startLoginItemHelper();
    void releaseBusName();

    void on_application_shutdown();
    bool on_window_delete_event(GdkEventAny* event);
    void on_window_is_active_changed();

    GtkDialogs m_dialogs;
    std::unique_ptr<Q7ZMainWindow> m_window;
    Glib::RefPtr<Gio::SimpleAction> m_changeServerAction;
    Glib::RefPtr<Gio::SimpleAction> m_checkSpellingAction;
    std::unique_ptr<LauncherEntry> m_launcherEntry;
    std::unique_ptr<Attention> m_attention;
    std::unique_ptr<StatusItem> m_statusItem;
    bool m_isRestart = false;
};
