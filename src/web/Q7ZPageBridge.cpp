#include "web/Q7ZPageBridge.h"

#include <algorithm>

namespace {

// Enough pages to keep one line per attacking page of a run; the set starts again when full.
constexpr std::size_t kMaxPagesLogged = 64;

// Nothing without a chosen host: an empty allow list would let every page have the script.
WebKitUserScript* newUserScript(const std::string& source, const Q7ZOrganisationPages& pages) {
    const std::vector<std::string> patterns = pages.urlPatterns();
    if (patterns.empty()) return nullptr;
    std::vector<const gchar*> allowList;
    for (const auto& pattern : patterns) allowList.push_back(pattern.c_str());
    allowList.push_back(nullptr);
    return webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                  WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, allowList.data(), nullptr);
}

}  // namespace

Q7ZPageBridge::Q7ZPageBridge(Q7ZPageBridgeHandler& handler, DialogAnswerer answerDialog,
                             const Q7ZOrganisationPages& pages)
    : m_handler(handler),
      m_answerDialog(std::move(answerDialog)),
      m_script(newUserScript(m_protocol.userScript(), pages)) {}

Q7ZPageBridge::~Q7ZPageBridge() {
    for (const auto& manager : m_contentManagers)
        webkit_user_content_manager_remove_script(manager.get(), m_script.get());
}

void Q7ZPageBridge::attach(WebKitWebView* view) {
    WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view);
    if (m_script && std::none_of(m_contentManagers.begin(), m_contentManagers.end(),
                                 [manager](const auto& known) { return known.get() == manager; })) {
        webkit_user_content_manager_add_script(manager, m_script.get());
        m_contentManagers.push_back(retainObject(manager));
    }
    m_connections.connect(view, "script-dialog", G_CALLBACK(&Q7ZPageBridge::on_view_script_dialog), this);
}

// Answers are set before returning; the engine completes the dialog itself (closing it from
// inside the handler is not safe).
gboolean Q7ZPageBridge::on_view_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer bridge) {
    static_cast<Q7ZPageBridge*>(bridge)->answer(view, dialog);
    return TRUE;
}

void Q7ZPageBridge::answer(WebKitWebView* view, WebKitScriptDialog* dialog) {
    const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
    if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
        webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
        return;
    }
    const auto call = m_protocol.callIn(webkit_script_dialog_get_message(dialog));
    if (!call || type != WEBKIT_SCRIPT_DIALOG_PROMPT) {
        logRefusalOnce(view, "a dialog of a frame that is not the organisation's");
        return;
    }
    // The handler or the dialog may run a nested main loop (a modal alert); nothing of the
    // bridge is touched after they return, so the bridge may even be gone by then.
    const auto reading = Q7ZBridgeProtocol::read(*call, m_handler);
    if (const auto* answer = std::get_if<Q7ZBridgeProtocol::Answer>(&reading)) {
        webkit_script_dialog_prompt_set_text(dialog, answer->text.c_str());
    } else if (const auto* request = std::get_if<Q7ZBridgeProtocol::DialogRequest>(&reading)) {
        webkit_script_dialog_prompt_set_text(dialog, m_answerDialog(*request).c_str());
    } else {
        logRefusalOnce(view, "a malformed call");
    }
}

void Q7ZPageBridge::logRefusalOnce(WebKitWebView* view, const char* what) {
    const char* uri = webkit_web_view_get_uri(view);
    if (m_pagesLogged.size() >= kMaxPagesLogged) m_pagesLogged.clear();
    if (m_pagesLogged.insert(uri ? uri : "").second)
        g_debug("Page bridge: refused %s in the window showing %s (further refusals there are not logged)", what,
                uri ? uri : "");
}
