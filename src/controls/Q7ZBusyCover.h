#pragma once
// The cover a screen or window lays over itself while a check runs: everything below is dimmed
// and takes no click, a spinner turns, and a Cancel button lets the user abandon the check. The
// widgets it is given are kept from the keyboard too (insensitive) until it closes.

#include <functional>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/overlay.h>
#include <gtkmm/spinner.h>

#include "controls/Q7ZNonAcceptTouchsView.h"

class Q7ZBusyCover : public Q7ZNonAcceptTouchsView {
public:
    // Shown over overlay's child at once; onCancel runs when Cancel is pressed (the cover is
    // closed first); without onCancel there is no Cancel. overlay and the widgets kept from the
    // keyboard must outlive the cover.
    Q7ZBusyCover(Gtk::Overlay& overlay, std::function<void()> onCancel, std::vector<Gtk::Widget*> keptFromKeyboard);
    ~Q7ZBusyCover() override;

    // Takes the cover off the overlay; also from inside onCancel.
    void close();
    // As if Cancel were pressed; false, and nothing done, when the cover has no Cancel.
    bool cancel();
    bool isShown() const { return get_parent() != nullptr; }

private:
    Gtk::Overlay& m_overlay;
    std::function<void()> m_onCancel;
    std::vector<Gtk::Widget*> m_keptFromKeyboard;
    Gtk::Box m_content{Gtk::ORIENTATION_VERTICAL, 16};
    Gtk::Spinner m_spinner;
    Gtk::Button m_cancel;
};
