#pragma once
// The page scripting bridge on the engine's side (Q7ZBridgeProtocol says what travels): the
// user script goes into the organisation's frames only, and every script dialog of a view is
// answered here. A call with this run's marker is performed by the handler, or, for the
// page's own alert, confirm and prompt, shown by the dialog answerer. Any other dialog comes
// from a frame that is not the organisation's: it gets no dialog (an alert returns, a confirm
// answers false, a prompt null), and a page's refused calls are logged once, at debug level.
// Leaving a page (before-unload) is always allowed, without a question.
//
// One bridge serves any number of web views (the main view and popups); a view may be
// destroyed before the bridge.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "web/Q7ZViewSignalConnections.h"
#include "web/policy/Q7ZBridgeProtocol.h"
#include "web/policy/Q7ZOrganisationPages.h"
#include "web/policy/Q7ZPageBridgeHandler.h"

class Q7ZPageBridge {
public:
    // Shows a page dialog and answers the text the page's wrapper expects.
    using DialogAnswerer = std::function<std::string(const Q7ZBridgeProtocol::DialogRequest& request)>;

    Q7ZPageBridge(Q7ZPageBridgeHandler& handler, DialogAnswerer answerDialog, const Q7ZOrganisationPages& pages);
    ~Q7ZPageBridge();
    Q7ZPageBridge(const Q7ZPageBridge&) = delete;
    Q7ZPageBridge& operator=(const Q7ZPageBridge&) = delete;

    // Installs the script in the view's content manager (once per manager; a popup made with
    // webkit_web_view_new_with_related_view shares its opener's) and answers the view's script
    // dialogs. Pages loaded from now on get the three names.
    void attach(WebKitWebView* view);

private:
    struct UserScriptUnref {
        void operator()(WebKitUserScript* script) const { webkit_user_script_unref(script); }
    };

    static gboolean on_view_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer bridge);
    void answer(WebKitWebView* view, WebKitScriptDialog* dialog);
    void logRefusalOnce(WebKitWebView* view, const char* what);

    Q7ZPageBridgeHandler& m_handler;
    DialogAnswerer m_answerDialog;
    Q7ZBridgeProtocol m_protocol;
    std::unique_ptr<WebKitUserScript, UserScriptUnref> m_script;
    std::vector<GObjectPtr<WebKitUserContentManager>> m_contentManagers;
    std::set<std::string> m_pagesLogged;
    Q7ZViewSignalConnections m_connections;
};
