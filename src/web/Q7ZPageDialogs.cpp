#include "web/Q7ZPageDialogs.h"

#include <string>
#include <vector>

#include "platform/Bundle.h"

namespace {

std::vector<std::string> confirmingThenCancelling() { return {localizedString("m9"), localizedString("m10")}; }

}  // namespace

void Q7ZPageDialogs::attach(WebKitWebView* view) {
    m_connections.connect(view, "script-dialog", G_CALLBACK(&Q7ZPageDialogs::on_view_script_dialog), this);
}

gboolean Q7ZPageDialogs::on_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer pageDialogs) {
    auto& self = *static_cast<Q7ZPageDialogs*>(pageDialogs);
    const char* message = webkit_script_dialog_get_message(dialog);
    // The answers are set before returning; the engine completes the dialog itself (closing it
    // from inside the handler is not safe).
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_ALERT:
            self.alert(message);
            break;
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, self.confirm(message));
            break;
        case WEBKIT_SCRIPT_DIALOG_PROMPT:
            webkit_script_dialog_prompt_set_text(
                dialog, self.prompt(message, webkit_script_dialog_prompt_get_default_text(dialog)).c_str());
            break;
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
            break;
    }
    return TRUE;
}

void Q7ZPageDialogs::alert(const char* message) { m_dialogs.showAlert(message, AlertStyle::Informational, {}); }

bool Q7ZPageDialogs::confirm(const char* message) {
    return m_dialogs.showAlert(message, AlertStyle::Informational, confirmingThenCancelling()) == 0;
}

// Cancelled, the answer is the empty text, never none.
std::string Q7ZPageDialogs::prompt(const char* message, const char* defaultText) {
    const TextInputAnswer answer = m_dialogs.runTextInput(message, defaultText ? defaultText : "", confirmingThenCancelling());
    return answer.buttonIndex == 0 ? answer.text : std::string();
}
