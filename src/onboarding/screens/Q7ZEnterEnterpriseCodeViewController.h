#pragma once
// The enterprise code entry screen: the user types an enterprise code, pastes a signed setting
// code or loads one from a ".txt" file; only one of the three rows is in use at a time. Next
// starts the matching check on a worker thread behind a cover with a spinner; the check ends
// here with an alert or the inline error, or replaces this screen with the server selection
// screen or the web host. A link opens the enterprise code description window above the main
// window, behind the same cover.
//
// While it shows, the main window is fixed at 680 × 494; the screen releases it when it goes.
// Alerts and the file chooser go through the Dialogs given at creation, which must outlive the
// screen. Main thread only.

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/fixed.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>
#include <gtkmm/spinner.h>

#include "controls/Q7ZBusyCover.h"
#include "controls/Q7ZCursorButton.h"
#include "controls/Q7ZScreenHost.h"
#include "controls/Q7ZViewController.h"
#include "onboarding/EnterpriseCodeScreen.h"
#include "onboarding/Q7ZEnterpriseCodeChecks.h"
#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindow.h"
#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindowDelegate.h"
#include "onboarding/screens/Q7ZInputRectImageView.h"
#include "platform/desktop/Dialogs.h"

class Q7ZEnterEnterpriseCodeViewController : public Q7ZViewController,
                                             public EnterpriseCodeScreen,
                                             public Q7ZEnterpriseCodeDescriptionWindowDelegate {
public:
    static constexpr int kContentWidth = 680;
    static constexpr int kContentHeight = 494;

    explicit Q7ZEnterEnterpriseCodeViewController(Q7ZScreenHost& host);
    ~Q7ZEnterEnterpriseCodeViewController() override;

    Gtk::Widget& view() override { return m_rootView; }
    std::string className() const override { return "Q7ZEnterEnterpriseCodeViewController"; }

    void closeCoverView() override;
    void showErrorAlertViewWithMessage(const std::string& text) override;
    void showInlineError() override;
    void goLoginPage() override;
    void goMultipleServerSelectPage() override;
    std::string typedCode() override;

    void enterpriseCodeDescriptionWindowWillClose(Q7ZEnterpriseCodeDescriptionWindow& window) override;

private:
    // The frame, text field and clear button of one row. The file row's field is a label (it
    // shows a file name, truncated at the end), the others are entries.
    struct Row {
        Q7ZInputRectImageView* rectImageView = nullptr;
        Gtk::Widget* textField = nullptr;
        Q7ZCursorButton* cleanButton = nullptr;
        Gtk::Label* hint = nullptr;  // an entry's placeholder
        int fieldX = 0;              // where the field starts within the row; it ends at the row's end
    };

    void viewDidLoad();
    void fixWindowSize();
    void layoutSubviews();
    void placeLogo();
    void placeErrorViews();
    void placeDivider(int y);
    // rowName names the row's clear button for assistive technologies.
    Row placeRow(int y, Gtk::Widget& textField, int fieldX, const std::string& rowName,
                 void (Q7ZEnterEnterpriseCodeViewController::*clean)());
    Gtk::Entry& createTextField(const std::string& placeholder);
    void placeDescriptionButton();
    using ImageButton = std::pair<Q7ZCursorButton*, Gtk::Label*>;  // the button and its inert copy
    ImageButton placeImageButton(const std::string& title, const char* styleClass, Gdk::Rectangle frame,
                                 void (Q7ZEnterEnterpriseCodeViewController::*action)());

    void checkTextFieldStatus(Gtk::Widget* sender);
    void resizeTextFieldInRow(const Row& row, bool hasText);
    bool loadCodeTextIsEmpty() const;
    void setEnableInputTextField(bool enabled);
    void setEnablePasteCodeTextField(bool enabled);
    void setEnableLoadCodeTextField(bool enabled);
    static void setEnableRow(const Row& row, bool enabled);

    void nextButtonClick();
    void loadCodeButtonClick();
    void cleanInputTextButtonClick();
    void cleanPasteCodeButtonClick();
    void cleanLoadCodeButtonClick();
    void descriptionButtonClick();
    void on_textField_changed(Gtk::Entry& sender);

    // onCancel: what the cover's Cancel does; none shows no Cancel.
    void addCoverView(std::function<void()> onCancel);
    void cancelCheck();
    void endEditing();
    void hideInlineError();
    void focusRowInUse();
    // The whole file at loadCodeFilePath as UTF-8 text; none when unreadable or not UTF-8.
    std::optional<std::string> readLoadCodeFile() const;

    Q7ZScreenHost& m_host;
    Dialogs& m_dialogs;
    Gtk::Window& m_mainWindow;
    // Its workers reach the screen only while it lives.
    Q7ZEnterpriseCodeChecks m_checks;

    Gtk::Overlay m_rootView;
    Gtk::Fixed m_contentView;
    Row m_input;
    Row m_pasteCode;
    Row m_loadCode;
    Gtk::Entry* m_inputTextField = nullptr;
    Gtk::Entry* m_pasteCodeTextField = nullptr;
    Gtk::Label* m_loadCodeTextField = nullptr;
    Q7ZInputRectImageView* m_errorRectImageView = nullptr;
    Gtk::Label* m_errorTextField = nullptr;
    Q7ZCursorButton* m_loadCodeButton = nullptr;
    Gtk::Label* m_inertLoadCodeButton = nullptr;
    Q7ZCursorButton* m_nextButton = nullptr;
    Gtk::Label* m_inertNextButton = nullptr;
    Q7ZCursorButton* m_descriptionButton = nullptr;
    std::string m_loadCodeFilePath;
    sigc::connection m_initialFocus;
    // Kept after it closes, until the next: its Cancel may be what closes it.
    std::unique_ptr<Q7ZBusyCover> m_coverView;
    // Made on first use, released when it asks to close.
    std::unique_ptr<Q7ZEnterpriseCodeDescriptionWindow> m_enterpriseCodeDescriptionWindow;
};
