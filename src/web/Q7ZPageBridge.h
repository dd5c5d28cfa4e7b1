#pragma once
// The page scripting bridge. A user script, injected into every frame at document start,
// binds "navigateObj", "settingObj" and "noticeObj" to one frozen object holding exactly the
// eleven operations of Q7ZPageBridgeHandler. Each operation sends its name and arguments as
// JSON through the engine's prompt(), behind a private marker; the web view's script-dialog
// signal delivers that prompt here synchronously, the handler runs, and the answer (a JSON
// array of strings) goes back as the prompt's text, which the page's callback receives before
// the operation returns. Prompts without the marker are left to the page dialog handling.
//
// One bridge serves any number of web views (the main view and popups); a view may be
// destroyed before the bridge.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "web/Q7ZPageBridgeHandler.h"
#include "web/Q7ZViewSignalConnections.h"

class Q7ZPageBridge {
public:
    explicit Q7ZPageBridge(Q7ZPageBridgeHandler& handler);
    ~Q7ZPageBridge();
    Q7ZPageBridge(const Q7ZPageBridge&) = delete;
    Q7ZPageBridge& operator=(const Q7ZPageBridge&) = delete;

    // Installs the script in the view's content manager (once per manager; a popup made with
    // webkit_web_view_new_with_related_view shares its opener's) and answers the view's bridge
    // prompts. Pages loaded from now on get the three names. script-dialog handlers run in the
    // order they were connected: attach before connecting the page dialog handling.
    void attach(WebKitWebView* view);

private:
    struct UserScriptUnref {
        void operator()(WebKitUserScript* script) const { webkit_user_script_unref(script); }
    };

    static gboolean on_view_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer bridge);

    // The prompt text for a call (the text after the marker), or nothing when it is refused.
    std::optional<std::string> answer(std::string_view call);

    Q7ZPageBridgeHandler& m_handler;
    std::unique_ptr<WebKitUserScript, UserScriptUnref> m_script;
    std::vector<GObjectPtr<WebKitUserContentManager>> m_contentManagers;
    Q7ZViewSignalConnections m_connections;
};
