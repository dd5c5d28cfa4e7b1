#pragma once
// Keeps the main view from ever staying blank. A main-frame load that fails, or that has no
// answer within the load time-out (Q7ZRecoveryPolicy::loadTimeout), shows the error page in the view's place;
// the page's "Try again", File ▸ Reload, the desktop reporting the network back, and a timer of
// growing delays (Q7ZRecoveryPolicy) load the login page again, and the view comes back as soon
// as a page commits. A web process that ends unexpectedly is reloaded once; a second end within
// a minute shows the error page.

#include <functional>
#include <memory>

#include <giomm/networkmonitor.h>
#include <gtkmm/stack.h>
#include <webkit2/webkit2.h>

#include "web/Q7ZErrorPage.h"
#include "web/Q7ZViewSignalConnections.h"
#include "web/policy/Q7ZRecoveryPolicy.h"

class Q7ZMainViewRecovery {
public:
    // view is borrowed and shown in widget(); loadLoginPage loads the chosen server's login page.
    Q7ZMainViewRecovery(WebKitWebView* view, std::function<void()> loadLoginPage);
    ~Q7ZMainViewRecovery();

    Gtk::Widget& widget() { return m_stack; }
    // The login page while no page or the error page shows, else the shown page again.
    void reload();
    // The error page for a failure found before loading (no server to load from).
    void showFailure(Q7ZLoadFailure failure);

private:
    static void on_view_load_changed(WebKitWebView* view, WebKitLoadEvent event, gpointer recovery);
    static gboolean on_view_load_failed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error,
                                        gpointer recovery);
    static gboolean on_view_load_failed_with_tls_errors(WebKitWebView* view, gchar* uri, GTlsCertificate* certificate,
                                                        GTlsCertificateFlags errors, gpointer recovery);
    static void on_view_web_process_terminated(WebKitWebView* view, WebKitWebProcessTerminationReason reason,
                                               gpointer recovery);
    void on_network_changed(bool available);
    bool on_load_timeout();

    bool showsErrorPage() const;
    void tryAgain();

    WebKitWebView* m_view;
    std::function<void()> m_loadLoginPage;
    const std::chrono::seconds m_loadTimeout;
    Gtk::Stack m_stack;
    // Made on the first failure: most runs never need it, and start-up is not slowed by it.
    std::unique_ptr<Q7ZErrorPage> m_errorPage;
    Q7ZRecoveryPolicy m_policy;
    sigc::connection m_retryTimer;
    sigc::connection m_loadTimer;
    Glib::RefPtr<Gio::NetworkMonitor> m_network;
    sigc::connection m_networkChanged;
    Q7ZViewSignalConnections m_connections;
};
