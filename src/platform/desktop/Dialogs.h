#pragma once
// The one way the application shows modal alerts, text inputs, open panels and print dialogs, so that tests can answer
// them by script. GtkDialogs is the program's implementation.

#include <optional>
#include <string>
#include <vector>

#include <gtkmm/pagesetup.h>
#include <gtkmm/printsettings.h>

enum class AlertStyle { Informational, Warning, Critical };

struct OpenPanelOptions {
    std::string title;
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    std::vector<std::string> allowedExtensions;  // without the dot, e.g. "txt"; empty: any
    std::string directory;                       // folder shown first; empty: the default
    std::string prompt;  // label of the accepting button; empty: "Open" in the interface language
};

struct TextInputAnswer {
    int buttonIndex = -1;  // as showAlert answers it
    std::string text;      // the field's text when the alert ended
};

// What the user chose in a print dialog: the printer with its options, and the page set-up.
struct PrintChoice {
    Glib::RefPtr<Gtk::PrintSettings> settings;
    Glib::RefPtr<Gtk::PageSetup> pageSetup;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a modal alert and answers the index of the chosen button (0 = the first of
    // buttons, the default one), or -1 when it was closed without a choice. With no buttons
    // the alert has a single "OK" (in the interface language) and answers 0.
    virtual int showAlert(const std::string& message, AlertStyle style, const std::vector<std::string>& buttons,
                          const std::string& informativeText = "") = 0;

    // Shows a modal warning alert with a one-line text field whose placeholder and first value
    // are defaultText, and answers the chosen button as showAlert does with the field's text.
    virtual TextInputAnswer runTextInput(const std::string& message, const std::string& defaultText,
                                         const std::vector<std::string>& buttons) = 0;

    // Runs a modal open panel and answers the chosen paths, or nothing when cancelled.
    virtual std::optional<std::vector<std::string>> runOpenPanel(const OpenPanelOptions& options) = 0;

    // Runs a modal print dialog titled title and answers the choice, or nothing when cancelled.
    virtual std::optional<PrintChoice> runPrintDialog(const std::string& title) = 0;
};
