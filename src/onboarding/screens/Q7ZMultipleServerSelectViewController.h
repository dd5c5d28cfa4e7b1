#pragma once
// The server selection screen: the user picks one server of the stored list. The product logo
// gives way to the organisation's icon once a worker thread has downloaded it. Next stores the
// pick in the settings and checks that server's login page on a worker thread behind a cover:
// the web host replaces the screen when it answers, an alert tells the user when it does not
// (no server is chosen then, and the screen stays for another pick). A link leads back to the
// enterprise code entry screen, resetting both stores.
//
// Workers touch no widget and report through the main thread, only while the screen lives
// (liveness token). Alerts go through the Dialogs given at creation, which must outlive the
// screen. Main thread only.

#include <cstdint>
#include <memory>
#include <string>

#include <gdkmm/pixbuf.h>
#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>
#include <gtkmm/spinner.h>

#include "controls/Q7ZBusyCover.h"
#include "controls/Q7ZCursorButton.h"
#include "controls/Q7ZCursorPopUpButton.h"
#include "controls/Q7ZFixedWidthBox.h"
#include "controls/Q7ZScreenHost.h"
#include "controls/Q7ZViewController.h"
#include "platform/GObjectPtr.h"
#include "platform/Worker.h"
#include "platform/desktop/Dialogs.h"

class Q7ZMultipleServerSelectViewController : public Q7ZViewController {
public:
    // The width of the server row and of Next.
    static constexpr int kRowWidth = 300;

    explicit Q7ZMultipleServerSelectViewController(Q7ZScreenHost& host);
    ~Q7ZMultipleServerSelectViewController() override;

    Gtk::Widget& view() override { return m_rootView; }
    std::string className() const override { return "Q7ZMultipleServerSelectViewController"; }

private:
    void viewDidLoad();
    void buildTitleLabel();
    void buildServerRow();
    void buildNextButton();
    void buildEnterpriseCodeButton();
    void fillServerPopUp();

    void serverSitePopUpBtnClick();
    void nextButtonClick();
    void enterpriseCodeButtonButtonClick();
    bool on_rootView_key_press_event(GdkEventKey* event);
    void on_nextButton_pressed();
    void on_nextButton_released();

    // Starts the icon download; the icon replaces the logo if one arrives while the screen lives.
    void startReadLogoImage();
    static GObjectPtr<GdkPixbuf> readLogoImageThread(const std::string& url);
    // The chosen server's login page is asked on a worker; the answer is saved on return.
    void startDetectLoginPageValid();
    void loginPageCheckDidFinish(bool answered);
    // Cancel: the check is abandoned and the stored choice kept.
    void cancelLoginPageCheck();

    void goLoginPage();
    bool isCovered() const { return m_coverView && m_coverView->isShown(); }
    void addCoverView();
    void closeCoverView();
    void showErrorAlertViewWithMessage(const std::string& message);

    Q7ZScreenHost& m_host;
    Dialogs& m_dialogs;
    std::int64_t m_serverSequence = 0;
    // The stored choice while a check runs, kept for Cancel.
    std::int64_t m_sequenceBeforeCheck = 0;
    Gtk::Overlay m_rootView;
    Gtk::Box m_contentView{Gtk::ORIENTATION_VERTICAL};
    Gtk::Image m_logoImageView;
    // The organisation's name under its icon; hidden when none is stored.
    Gtk::Label m_titleLabel;
    Q7ZFixedWidthBox m_serverRow{Gtk::ORIENTATION_HORIZONTAL, kRowWidth};
    Gtk::Label m_serverLabel;
    Q7ZCursorPopUpButton m_serverSitePopUpBtn;
    Q7ZCursorButton m_nextButton;
    Gtk::Overlay m_nextButtonFace;
    Gtk::Image m_nextButtonImage;
    Gtk::Label m_nextButtonTitle;
    Cairo::RefPtr<Cairo::Surface> m_nextButtonNormalImage;
    Cairo::RefPtr<Cairo::Surface> m_nextButtonPressedImage;
    // Pixels per point of the bundle's images: 2 on a display scaled 2.
    int m_imageScale = 1;
    Q7ZCursorButton m_enterpriseCodeButton;
    // Kept after it closes, until the next: its Cancel may be what closes it.
    std::unique_ptr<Q7ZBusyCover> m_coverView;
    // Hand-backs from the workers run only while this lives; the login page check's also only
    // until it is cancelled.
    Worker::Owner m_workers;
    Worker::Owner m_loginPageCheck;
};
