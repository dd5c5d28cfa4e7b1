#pragma once
// The one popup window for windows that pages open. A page's new window (the web view's
// `create`) gets a new web view related to its opener, installed in the popup window, which is
// made on the first request (600 × 600, at least 200 × 200, the main window's title of that
// moment, white) and reused after, its previous web view and page dropped. The window is
// centred when a view is installed and brought forward when the view is ready to show; the
// page's window.close() or the user closing the window drops the window and its view.

#include <functional>
#include <memory>
#include <vector>

#include <gtkmm/window.h>
#include <sigc++/connection.h>
#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "web/Q7ZViewSignalConnections.h"

class Q7ZPopupWindow {
public:
    // Called with each new popup web view before the engine loads into it, so that the owner
    // serves it as its other views (bridge, policy, dialogs).
    using ViewServer = std::function<void(WebKitWebView*)>;

    Q7ZPopupWindow(Gtk::Window& mainWindow, ViewServer serveView);
    ~Q7ZPopupWindow();
    Q7ZPopupWindow(const Q7ZPopupWindow&) = delete;
    Q7ZPopupWindow& operator=(const Q7ZPopupWindow&) = delete;

    // Windows opened by the view's pages open in the popup window. Popup views are attached
    // already.
    void attach(WebKitWebView* view);
    // Closes the popup window, if open, with its web view.
    void close();

private:
    static GtkWidget* on_view_create(WebKitWebView* opener, WebKitNavigationAction* action, gpointer popup);
    static void on_view_ready_to_show(WebKitWebView* view, gpointer popup);
    static void on_view_close(WebKitWebView* view, gpointer popup);
    bool on_window_delete_event(GdkEventAny* event);

    WebKitWebView* openView(WebKitWebView* opener);
    Gtk::Window& ensureWindow();
    void install(WebKitWebView* view);
    bool isShowing(WebKitWebView* view) const;
    // Keeps what a signal in progress may still use until the main loop is idle again.
    void dropWhenIdle();

    Gtk::Window& m_mainWindow;
    ViewServer m_serveView;
    // Declared before the windows: a popup view finalized as they go still finds it.
    Q7ZViewSignalConnections m_connections;
    std::unique_ptr<Gtk::Window> m_window;
    std::unique_ptr<Gtk::Window> m_closedWindow;
    std::vector<GObjectPtr<GtkWidget>> m_replacedViews;
    sigc::connection m_idleDrop;
};
