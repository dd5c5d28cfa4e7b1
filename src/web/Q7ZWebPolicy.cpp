#include "web/Q7ZWebPolicy.h"

#include "platform/Bundle.h"
#include "web/Q7ZRequester.h"

namespace {

std::string textOf(const char* text) { return text ? text : ""; }

}  // namespace

Q7ZWebPolicy::Q7ZWebPolicy(WebKitWebView* mainView, const Q7ZOrganisationPages& pages, Q7ZPopupWindow& popup,
                           Dialogs& dialogs, PageDownloadStarter startPageDownload)
    : m_mainView(mainView),
      m_rules(pages),
      m_popup(popup),
      m_dialogs(dialogs),
      m_startPageDownload(std::move(startPageDownload)) {}

void Q7ZWebPolicy::attach(WebKitWebView* view) {
    m_connections.connect(view, "decide-policy", G_CALLBACK(&Q7ZWebPolicy::on_view_decide_policy), this);
    m_connections.connect(view, "permission-request", G_CALLBACK(&Q7ZWebPolicy::on_view_permission_request), this);
    m_connections.connect(view, "load-failed", G_CALLBACK(&Q7ZWebPolicy::on_view_load_failed), this);
}

// A name that does not resolve for the moment (no DNS server to ask) or no route to any
// network: the computer is offline. A name that does not exist, or a server that refuses or
// does not answer, is the server's matter and stays silent.
bool Q7ZWebPolicy::isNoNetworkError(const GError* error) {
    if (!error) return false;
    return g_error_matches(error, G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE) ||
           g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NETWORK_UNREACHABLE);
}

gboolean Q7ZWebPolicy::on_view_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                             WebKitPolicyDecisionType type, gpointer policy) {
    auto& self = *static_cast<Q7ZWebPolicy*>(policy);
    self.carryOut(view, decision, self.decide(view, decision, type));
    return TRUE;
}

Q7ZNavigationPolicy::Decision Q7ZWebPolicy::decide(WebKitWebView* view, WebKitPolicyDecision* decision,
                                                   WebKitPolicyDecisionType type) const {
    const bool isMainView = view == m_mainView;
    const std::string pageUrl = textOf(webkit_web_view_get_uri(view));
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        WebKitURIRequest* request = webkit_response_policy_decision_get_request(response);
        const std::string url = textOf(webkit_uri_request_get_uri(request));
        const std::string mimeType =
            textOf(webkit_uri_response_get_mime_type(webkit_response_policy_decision_get_response(response)));
        const char* method = webkit_uri_request_get_http_method(request);
        return m_rules.decideResponse(
            {url, mimeType, Q7ZRequester::hostOf(request),
             static_cast<bool>(webkit_response_policy_decision_is_main_frame_main_resource(response)), isMainView,
             pageUrl, method ? method : "GET"});
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    // The views keep no back-forward list: a step through the engine's history (the page's
    // history.back(), a mouse's back button) to another document goes nowhere.
    const WebKitNavigationType navigationType = webkit_navigation_action_get_navigation_type(action);
    if (navigationType == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD) return {false, {}, false, false};
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const std::string url = textOf(webkit_uri_request_get_uri(request));
    const Q7ZNavigationPolicy::Action asked{url,
                                            Q7ZRequester::hostOf(request),
                                            static_cast<bool>(webkit_navigation_action_is_user_gesture(action)),
                                            navigationType == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED,
                                            static_cast<bool>(webkit_navigation_action_is_redirect(action)),
                                            isMainView,
                                            pageUrl};
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) return m_rules.decideNewWindow(asked);
    return m_rules.decideNavigation(asked);
}

void Q7ZWebPolicy::carryOut(WebKitWebView* view, WebKitPolicyDecision* decision,
                            const Q7ZNavigationPolicy::Decision& what) {
    if (!what.desktopUrl.empty()) handOver(what.desktopUrl);
    // A downloaded response is not shown as well: the frame keeps its page. (Shown in the
    // main view, it would replace the web app, with no way back to it.)
    if (what.startDownload && what.engineDownload) {
        webkit_policy_decision_download(decision);
    } else if (what.startDownload) {
        if (m_startPageDownload)
            m_startPageDownload(webkit_response_policy_decision_get_request(WEBKIT_RESPONSE_POLICY_DECISION(decision)));
        webkit_policy_decision_ignore(decision);
    } else if (what.use) {
        webkit_policy_decision_use(decision);
    } else {
        webkit_policy_decision_ignore(decision);
    }
    // Only a popup's window is ever closed; the popup keeps the view until the loop is idle.
    if (what.closeWindow && view != m_mainView) m_popup.close();
}

void Q7ZWebPolicy::handOver(const std::string& url) {
    if (m_handOffs.admit(url, g_get_monotonic_time())) m_workspace.openUrl(url);
    else g_debug("%s was handed to the desktop a moment ago; not again", url.c_str());
}

gboolean Q7ZWebPolicy::on_view_permission_request(WebKitWebView* view, WebKitPermissionRequest* request, gpointer) {
    g_debug("a page's %s was denied (%s)", G_OBJECT_TYPE_NAME(request), textOf(webkit_web_view_get_uri(view)).c_str());
    webkit_permission_request_deny(request);
    return TRUE;
}

gboolean Q7ZWebPolicy::on_view_load_failed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                           gpointer policy) {
    auto& self = *static_cast<Q7ZWebPolicy*>(policy);
    if (isNoNetworkError(error)) {
        g_warning("no network connection: %s could not be loaded (%s)", uri, error->message);
        self.showNoNetworkAlertLater();
    } else if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) &&
               !g_error_matches(error, WEBKIT_POLICY_ERROR,
                                WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) &&
               !g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_CANNOT_SHOW_MIME_TYPE)) {
        g_warning("the page %s could not be loaded: %s", uri, error ? error->message : "");
    }
    // Handled: the engine's own error page would replace what the frame shows.
    return TRUE;
}

void Q7ZWebPolicy::showNoNetworkAlertLater() {
    m_owner.link().report([this] { m_dialogs.showAlert(localizedString("m754"), AlertStyle::Warning, {}); });
}
