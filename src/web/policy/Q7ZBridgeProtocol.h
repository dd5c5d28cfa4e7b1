#pragma once
// How the organisation's pages talk to the program: a user script, injected at document start
// into the organisation's frames only, binds "navigateObj", "settingObj" and "noticeObj" to one
// frozen object holding exactly the eleven operations of Q7ZPageBridgeHandler, and routes the
// page's alert, confirm and prompt to the program's own dialogs. Each call travels as JSON
// through the engine's synchronous prompt(), behind a marker that carries a secret made for
// this run: the script keeps marker and prompt to itself before any page script runs, so no
// other frame can make a call, and a dialog without the marker comes from a frame that is
// not the organisation's.
//
//   marker ["getOSVersion"]          -> the answer: a JSON array of strings for the callback
//   marker ["showNotice", "{...}"]   -> performed; an empty array
//   marker ["confirm", "Sure?"]      -> a page dialog for the program to show

#include <string>
#include <string_view>
#include <variant>

#include "web/policy/Q7ZPageBridgeHandler.h"

class Q7ZBridgeProtocol {
public:
    enum class DialogKind { Alert, Confirm, Prompt };
    struct DialogRequest {
        DialogKind kind = DialogKind::Alert;
        std::string message;
        std::string defaultText;  // a prompt's
    };
    // A call performed: the text the prompt answers with.
    struct Answer {
        std::string text;
    };
    // Not a well-formed call: nothing was performed.
    struct Refusal {};
    using Reading = std::variant<Answer, DialogRequest, Refusal>;

    Q7ZBridgeProtocol();

    const std::string& userScript() const { return m_script; }
    // The call carried by a prompt's message: the text after the marker. Nothing when the
    // message does not begin with this run's marker.
    std::optional<std::string_view> callIn(std::string_view message) const;
    // Reads a call and performs it on handler when it is one of the operations, well formed.
    static Reading read(std::string_view call, Q7ZPageBridgeHandler& handler);
    // The dialog's answer as the page's wrapper reads it: "true"/"false" for confirm.
    static std::string confirmation(bool confirmed) { return confirmed ? "true" : "false"; }

private:
    std::string m_marker;
    std::string m_script;
};
