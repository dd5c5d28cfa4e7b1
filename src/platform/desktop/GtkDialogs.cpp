#include "platform/desktop/GtkDialogs.h"

#include <gtkmm/application.h>
#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/printunixdialog.h>

#include "platform/Bundle.h"

namespace {

Gtk::MessageType messageTypeFor(AlertStyle style) {
    switch (style) {
    case AlertStyle::Warning: return Gtk::MESSAGE_WARNING;
    case AlertStyle::Critical: return Gtk::MESSAGE_ERROR;
    case AlertStyle::Informational: break;
    }
    return Gtk::MESSAGE_INFO;
}

Glib::RefPtr<Gtk::FileFilter> filterFor(const std::vector<std::string>& extensions) {
    auto filter = Gtk::FileFilter::create();
    for (const auto& extension : extensions) {
        filter->add_pattern("*." + extension);
        filter->add_pattern("*." + Glib::ustring(extension).uppercase());
    }
    return filter;
}

Gtk::FileChooserAction actionFor(const OpenPanelOptions& options) {
    return options.canChooseDirectories && !options.canChooseFiles ? Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER
                                                                   : Gtk::FILE_CHOOSER_ACTION_OPEN;
}

}  // namespace

Gtk::Window* GtkDialogs::parentWindow() const {
    if (m_parent) return m_parent;
    auto application = Glib::RefPtr<Gtk::Application>::cast_dynamic(Gio::Application::get_default());
    return application ? application->get_active_window() : nullptr;
}

int GtkDialogs::showAlert(const std::string& message, AlertStyle style, const std::vector<std::string>& buttons,
                          const std::string& informativeText) {
    Gtk::MessageDialog dialog(message, false, messageTypeFor(style), Gtk::BUTTONS_NONE, true);
    if (!informativeText.empty()) dialog.set_secondary_text(informativeText);
    return runWithButtons(dialog, buttons);
}

TextInputAnswer GtkDialogs::runTextInput(const std::string& message, const std::string& defaultText,
                                         const std::vector<std::string>& buttons) {
    Gtk::MessageDialog dialog(message, false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    auto* field = Gtk::make_managed<Gtk::Entry>();
    field->set_size_request(300, 24);
    field->set_placeholder_text(defaultText);
    field->set_text(defaultText);
    field->set_activates_default(true);
    dialog.get_message_area()->pack_start(*field, Gtk::PACK_SHRINK);
    field->show();
    const int index = runWithButtons(dialog, buttons);
    return {index, field->get_text()};
}

int GtkDialogs::runWithButtons(Gtk::MessageDialog& dialog, const std::vector<std::string>& buttons) const {
    if (auto* parent = parentWindow()) dialog.set_transient_for(*parent);
    const std::vector<std::string> labels = buttons.empty() ? std::vector<std::string>{localizedString("m9")} : buttons;
    // Added last to first: GTK lines them up left to right, and the first (default) goes at the right.
    for (int index = static_cast<int>(labels.size()) - 1; index >= 0; --index) {
        dialog.add_button(labels[index], index);
    }
    dialog.set_default_response(0);
    const int response = dialog.run();
    return response >= 0 && response < static_cast<int>(labels.size()) ? response : -1;
}

std::optional<std::vector<std::string>> GtkDialogs::runOpenPanel(const OpenPanelOptions& options) {
    Gtk::FileChooserDialog dialog(options.title, actionFor(options));
    if (auto* parent = parentWindow()) dialog.set_transient_for(*parent);
    dialog.add_button(localizedString("m10"), Gtk::RESPONSE_CANCEL);
    dialog.add_button(options.prompt.empty() ? localizedString("Open") : options.prompt, Gtk::RESPONSE_ACCEPT);
    dialog.set_default_response(Gtk::RESPONSE_ACCEPT);
    dialog.set_select_multiple(options.allowsMultipleSelection);
    if (!options.directory.empty()) dialog.set_current_folder(options.directory);
    if (!options.allowedExtensions.empty()) dialog.set_filter(filterFor(options.allowedExtensions));
    if (dialog.run() != Gtk::RESPONSE_ACCEPT) return std::nullopt;
    std::vector<std::string> paths;
    for (const auto& file : dialog.get_files()) {
        if (file->get_path().empty()) continue;  // not a local file
        paths.push_back(file->get_path());
    }
    if (paths.empty()) return std::nullopt;
    return paths;
}

std::optional<PrintChoice> GtkDialogs::runPrintDialog(const std::string& title) {
    Gtk::PrintUnixDialog dialog(title);
    if (auto* parent = parentWindow()) dialog.set_transient_for(*parent);
    if (m_lastPrint.settings) dialog.set_settings(m_lastPrint.settings);
    if (m_lastPrint.pageSetup) dialog.set_page_setup(m_lastPrint.pageSetup);
    dialog.set_embed_page_setup(true);
    if (dialog.run() != Gtk::RESPONSE_OK) return std::nullopt;
    m_lastPrint = {dialog.get_settings(), dialog.get_page_setup()};
    // The printer is named in the settings, for the print to find it again.
    if (auto printer = dialog.get_selected_printer()) m_lastPrint.settings->set_printer(printer->get_name());
    return m_lastPrint;
}
