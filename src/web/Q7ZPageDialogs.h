#pragma once
// The organisation's page's alert, confirm and prompt as native modal alerts through the
// Dialogs seam, with the page's script held until they end (the page bridge brings them).

#include <string>

#include "platform/desktop/Dialogs.h"
#include "web/policy/Q7ZBridgeProtocol.h"

class Q7ZPageDialogs {
public:
    explicit Q7ZPageDialogs(Dialogs& dialogs) : m_dialogs(dialogs) {}

    // What the page's wrapper reads: nothing for an alert, Q7ZBridgeProtocol::confirmation for
    // a confirm, the text for a prompt (the empty text when cancelled, never none).
    std::string answer(const Q7ZBridgeProtocol::DialogRequest& request);

private:
    Dialogs& m_dialogs;
};
