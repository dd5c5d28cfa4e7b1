#pragma once
// Printing a page through the desktop's print dialog: File ▸ Print… for the main view, and the
// page's own window.print() for the organisation's pages (other pages print nothing). The
// dialog goes through Dialogs; a print that fails says so. Main thread only.

#include <vector>

#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "platform/desktop/Dialogs.h"
#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZPagePrinter {
public:
    Q7ZPagePrinter(Dialogs& dialogs, const Q7ZOrganisationPages& pages) : m_dialogs(dialogs), m_pages(pages) {}
    ~Q7ZPagePrinter();
    Q7ZPagePrinter(const Q7ZPagePrinter&) = delete;
    Q7ZPagePrinter& operator=(const Q7ZPagePrinter&) = delete;

    // The view's window.print() is answered from now on.
    void attach(WebKitWebView* view);
    void print(WebKitWebView* view);

private:
    void run(WebKitPrintOperation* operation);
    void forget(WebKitPrintOperation* operation);
    static gboolean on_view_print(WebKitWebView* view, WebKitPrintOperation* operation, gpointer printer);
    static void on_operation_failed(WebKitPrintOperation* operation, GError* error, gpointer printer);
    static void on_operation_finished(WebKitPrintOperation* operation, gpointer printer);

    Dialogs& m_dialogs;
    const Q7ZOrganisationPages& m_pages;
    std::vector<GObjectPtr<WebKitPrintOperation>> m_running;
};
