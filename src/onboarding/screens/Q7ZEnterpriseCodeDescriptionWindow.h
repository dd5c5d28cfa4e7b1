#pragma once
// A small borderless panel that explains what an enterprise code is, opened by the enterprise
// code entry screen above the main window and centred on it. Its close button (and Escape)
// and its apply button, which first opens the product information page in a window of its
// own, ask the delegate to close the panel; the panel never closes itself.
//
// Fixed at 380 × 280, white. The delegate is not owned; none sends nothing. Main thread only.

#include <gdkmm/pixbuf.h>
#include <gtkmm/fixed.h>
#include <gtkmm/window.h>

#include "controls/Q7ZCursorButton.h"
#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindowDelegate.h"

class Q7ZEnterpriseCodeDescriptionWindow : public Gtk::Window {
public:
    static constexpr int kContentWidth = 380;
    static constexpr int kContentHeight = 280;

    // Centred on the application's main window and transient for it, not yet shown.
    // Above the main window, centred on it.
    explicit Q7ZEnterpriseCodeDescriptionWindow(Gtk::Window& mainWindow);
    ~Q7ZEnterpriseCodeDescriptionWindow() override;

    Q7ZEnterpriseCodeDescriptionWindowDelegate* enterpriseCodeDescriptionDelegate() const { return m_delegate; }
    void setEnterpriseCodeDescriptionDelegate(Q7ZEnterpriseCodeDescriptionWindowDelegate* delegate) {
        m_delegate = delegate;
    }

protected:
    bool on_key_press_event(GdkEventKey* event) override;

private:
    void layoutSubviews();
    void placeCloseButton();
    // Puts a label centred horizontally at y; answers the y below it.
    int placeCentredLabel(const std::string& text, const char* styleClass, int y, int maximumLines, int bottomLimit);
    int placeApplyButton();
    void askDelegateToClose();

    void closeBtnClick();
    void applyBtnClick();
    void on_closeBtn_pressed();
    void on_closeBtn_released();

    Gtk::Fixed m_contentView;
    Gtk::Image* m_closeImage = nullptr;
    Cairo::RefPtr<Cairo::Surface> m_closeButtonImage;
    Cairo::RefPtr<Cairo::Surface> m_closeButtonPressedImage;
    Gtk::Window& m_mainWindow;
    Q7ZEnterpriseCodeDescriptionWindowDelegate* m_delegate = nullptr;
};
