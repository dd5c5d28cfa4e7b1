#include "web/Q7ZPageDialogs.h"

#include <vector>

#include "platform/Bundle.h"

std::string Q7ZPageDialogs::answer(const Q7ZBridgeProtocol::DialogRequest& request) {
    using Kind = Q7ZBridgeProtocol::DialogKind;
    const std::vector<std::string> confirmingThenCancelling{localizedString("m9"), localizedString("m10")};
    switch (request.kind) {
    case Kind::Alert: m_dialogs.showAlert(request.message, AlertStyle::Informational, {}); return {};
    case Kind::Confirm:
        return Q7ZBridgeProtocol::confirmation(
            m_dialogs.showAlert(request.message, AlertStyle::Informational, confirmingThenCancelling) == 0);
    case Kind::Prompt: {
        const TextInputAnswer answer =
            m_dialogs.runTextInput(request.message, request.defaultText, confirmingThenCancelling);
        return answer.buttonIndex == 0 ? answer.text : std::string();
    }
    }
    return {};
}
