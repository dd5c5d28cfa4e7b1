#pragma once
// The web host's answers to its views' policy questions, permission requests and load failures.
// A step back or forward through the engine's history to another page is refused (the views
// keep no back-forward list). Other navigations, new windows and responses are decided by
// Q7ZNavigationPolicy and carried out here (an address for the desktop, at most once in two
// seconds each; a page download; the popup closed). Every permission request (location,
// devices, clipboard, any other) is denied. A load that fails for lack of a network connection
// shows the warning "m754" once, after the failing signal has returned. The main view's failed
// loads also show its error page (Q7ZMainViewRecovery); a popup's leave the frame as it was.

#include <functional>
#include <memory>

#include <webkit2/webkit2.h>

#include "platform/Worker.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Workspace.h"
#include "web/Q7ZPopupWindow.h"
#include "web/Q7ZViewSignalConnections.h"
#include "web/policy/Q7ZHandOffThrottle.h"
#include "web/policy/Q7ZNavigationPolicy.h"

class Q7ZWebPolicy {
public:
    // Fetches a request whose response is not a page, as a download of its own.
    using PageDownloadStarter = std::function<void(WebKitURIRequest* request)>;

    // mainView: the view whose window is never closed. All are borrowed and must outlive this.
    Q7ZWebPolicy(WebKitWebView* mainView, const Q7ZOrganisationPages& pages, Q7ZPopupWindow& popup, Dialogs& dialogs,
                 PageDownloadStarter startPageDownload);

    void attach(WebKitWebView* view);

private:
    // Whether a load error means that the computer has no network connection (as opposed to
    // a server that cannot be reached, a refused or cancelled load, or a page error).
    static bool isNoNetworkError(const GError* error);

    static gboolean on_view_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                          WebKitPolicyDecisionType type, gpointer policy);
    static gboolean on_view_permission_request(WebKitWebView* view, WebKitPermissionRequest* request, gpointer);
    static gboolean on_view_load_failed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error,
                                        gpointer policy);

    Q7ZNavigationPolicy::Decision decide(WebKitWebView* view, WebKitPolicyDecision* decision,
                                         WebKitPolicyDecisionType type) const;
    void carryOut(WebKitWebView* view, WebKitPolicyDecision* decision, const Q7ZNavigationPolicy::Decision& what);
    void handOver(const std::string& url);
    void showNoNetworkAlertLater();

    WebKitWebView* m_mainView;
    Q7ZNavigationPolicy m_rules;
    Q7ZHandOffThrottle m_handOffs;
    Q7ZPopupWindow& m_popup;
    Dialogs& m_dialogs;
    PageDownloadStarter m_startPageDownload;
    Workspace m_workspace;
    Q7ZViewSignalConnections m_connections;
    // The queued alert runs only while this lives.
    Worker::Owner m_owner;
};
