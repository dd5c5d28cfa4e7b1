#pragma once
// A page's file input asks for files through the Dialogs seam's open panel: files only, no type
// filter, several exactly when the input allows several. Cancelled, the input keeps its files.

#include <webkit2/webkit2.h>

#include "platform/desktop/Dialogs.h"
#include "web/Q7ZViewSignalConnections.h"

class Q7ZFileInputs {
public:
    explicit Q7ZFileInputs(Dialogs& dialogs) : m_dialogs(dialogs) {}

    void attach(WebKitWebView* view);

private:
    static gboolean on_view_run_file_chooser(WebKitWebView* view, WebKitFileChooserRequest* request,
                                             gpointer fileInputs);

    void choose(WebKitFileChooserRequest* request);

    Dialogs& m_dialogs;
    Q7ZViewSignalConnections m_connections;
};
