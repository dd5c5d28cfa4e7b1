#pragma once
// The page's alert, confirm and prompt as native modal alerts through the Dialogs seam, with the
// page's script held until they end; a page's before-unload question is never asked, leaving is
// always allowed.
//
// Attach a view after the page bridge has attached it: the bridge's prompts must reach the
// bridge first (the first script-dialog handler that answers ends the signal), and every
// dialog that reaches this class is answered here.

#include <string>

#include <webkit2/webkit2.h>

#include "platform/desktop/Dialogs.h"
#include "web/Q7ZViewSignalConnections.h"

class Q7ZPageDialogs {
public:
    explicit Q7ZPageDialogs(Dialogs& dialogs) : m_dialogs(dialogs) {}

    void attach(WebKitWebView* view);

private:
    static gboolean on_view_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer pageDialogs);

    void alert(const char* message);
    bool confirm(const char* message);
    std::string prompt(const char* message, const char* defaultText);

    Dialogs& m_dialogs;
    Q7ZViewSignalConnections m_connections;
};
