#include "web/Q7ZFileInputs.h"

#include <string>
#include <vector>

void Q7ZFileInputs::attach(WebKitWebView* view) {
    m_connections.connect(view, "run-file-chooser", G_CALLBACK(&Q7ZFileInputs::on_view_run_file_chooser), this);
}

gboolean Q7ZFileInputs::on_view_run_file_chooser(WebKitWebView*, WebKitFileChooserRequest* request,
                                                 gpointer fileInputs) {
    static_cast<Q7ZFileInputs*>(fileInputs)->choose(request);
    return TRUE;
}

void Q7ZFileInputs::choose(WebKitFileChooserRequest* request) {
    OpenPanelOptions options;
    options.canChooseFiles = true;
    options.canChooseDirectories = false;
    options.allowsMultipleSelection = webkit_file_chooser_request_get_select_multiple(request);
    const auto paths = m_dialogs.runOpenPanel(options);
    if (!paths || paths->empty()) {
        webkit_file_chooser_request_cancel(request);
        return;
    }
    std::vector<const gchar*> names;
    for (const auto& path : *paths) names.push_back(path.c_str());
    names.push_back(nullptr);
    webkit_file_chooser_request_select_files(request, names.data());
}
