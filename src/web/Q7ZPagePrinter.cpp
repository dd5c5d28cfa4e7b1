#include "web/Q7ZPagePrinter.h"

#include <algorithm>

#include "platform/Bundle.h"

Q7ZPagePrinter::~Q7ZPagePrinter() {
    for (const auto& operation : m_running) g_signal_handlers_disconnect_by_data(operation.get(), this);
}

void Q7ZPagePrinter::attach(WebKitWebView* view) {
    g_signal_connect(view, "print", G_CALLBACK(&Q7ZPagePrinter::on_view_print), this);
}

void Q7ZPagePrinter::print(WebKitWebView* view) {
    GObjectPtr<WebKitPrintOperation> operation(webkit_print_operation_new(view));
    run(operation.get());
}

gboolean Q7ZPagePrinter::on_view_print(WebKitWebView* view, WebKitPrintOperation* operation, gpointer printer) {
    auto* self = static_cast<Q7ZPagePrinter*>(printer);
    const char* uri = webkit_web_view_get_uri(view);
    if (self->m_pages.contains(uri ? uri : "")) self->run(operation);
    else g_debug("window.print() of %s, not an organisation's page, is ignored", uri ? uri : "a blank page");
    return TRUE;
}

// The dialog's choice is printed without a second dialog; the operation lives until it ends.
void Q7ZPagePrinter::run(WebKitPrintOperation* operation) {
    const std::optional<PrintChoice> choice = m_dialogs.runPrintDialog(localizedString("PrintDialogTitle"));
    if (!choice) return;
    webkit_print_operation_set_print_settings(operation, choice->settings->gobj());
    webkit_print_operation_set_page_setup(operation, choice->pageSetup->gobj());
    m_running.push_back(retainObject(operation));
    g_signal_connect(operation, "failed", G_CALLBACK(&Q7ZPagePrinter::on_operation_failed), this);
    g_signal_connect(operation, "finished", G_CALLBACK(&Q7ZPagePrinter::on_operation_finished), this);
    webkit_print_operation_print(operation);
}

void Q7ZPagePrinter::on_operation_failed(WebKitPrintOperation*, GError* error, gpointer printer) {
    g_warning("the page could not be printed: %s", error->message);
    static_cast<Q7ZPagePrinter*>(printer)->m_dialogs.showAlert(localizedString("PrintFailed"), AlertStyle::Warning, {},
                                                               error->message);
}

void Q7ZPagePrinter::on_operation_finished(WebKitPrintOperation* operation, gpointer printer) {
    static_cast<Q7ZPagePrinter*>(printer)->forget(operation);
}

void Q7ZPagePrinter::forget(WebKitPrintOperation* operation) {
    g_signal_handlers_disconnect_by_data(operation, this);
    std::erase_if(m_running, [operation](const auto& running) { return running.get() == operation; });
}
