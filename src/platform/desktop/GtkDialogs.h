#pragma once
// Dialogs as GTK modal dialogs (Gtk::MessageDialog, Gtk::FileChooserDialog), transient for the
// given parent or else for the application's active window.

#include <gtkmm/window.h>

#include "platform/desktop/Dialogs.h"

namespace Gtk {
class MessageDialog;
}

class GtkDialogs : public Dialogs {
public:
    explicit GtkDialogs(Gtk::Window* parent = nullptr) : m_parent(parent) {}

    void setParent(Gtk::Window* parent) { m_parent = parent; }

    int showAlert(const std::string& message, AlertStyle style, const std::vector<std::string>& buttons,
                  const std::string& informativeText = "") override;
    TextInputAnswer runTextInput(const std::string& message, const std::string& defaultText,
                                 const std::vector<std::string>& buttons) override;
    std::optional<std::vector<std::string>> runOpenPanel(const OpenPanelOptions& options) override;
    // Starts from the run's previous choice.
    std::optional<PrintChoice> runPrintDialog(const std::string& title) override;

private:
    Gtk::Window* parentWindow() const;
    // Runs the dialog with buttons (0 the default, at the right); answers the index or -1.
    int runWithButtons(Gtk::MessageDialog& dialog, const std::vector<std::string>& buttons) const;

    Gtk::Window* m_parent;
    PrintChoice m_lastPrint;
};
