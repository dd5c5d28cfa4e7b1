#include "controls/Q7ZCursorButton.h"

#include <gtkmm/label.h>

#include "controls/CursorRects.h"

Q7ZCursorButton::Q7ZCursorButton() {
    // The button's input window reports crossings already; this keeps it so if a caller
    // replaces the event mask.
    add_events(Gdk::ENTER_NOTIFY_MASK | Gdk::LEAVE_NOTIFY_MASK);
}

void Q7ZCursorButton::resetCursorRects() { CursorRects::resetCursorRect(get_event_window(), m_enableCursor, m_cursor); }

void Q7ZCursorButton::on_realize() {
    Gtk::Button::on_realize();
    resetCursorRects();
}

void Q7ZCursorButton::on_size_allocate(Gtk::Allocation& allocation) {
    Gtk::Button::on_size_allocate(allocation);
    viewDidChangeFrame();
}

// GtkButton moves its input window with every allocation, so the area that reports the pointer
// follows the new frame by itself; the cursor is put back on it.
void Q7ZCursorButton::viewDidChangeFrame() { resetCursorRects(); }

bool Q7ZCursorButton::on_enter_notify_event(GdkEventCrossing* event) {
    const bool handled = Gtk::Button::on_enter_notify_event(event);
    resetCursorRects();
    if (m_highlightString) {
        showTitleMarkup(*m_highlightString);
    }
    return handled;
}

bool Q7ZCursorButton::on_leave_notify_event(GdkEventCrossing* event) {
    if (m_normalString) {
        showTitleMarkup(*m_normalString);
    }
    return Gtk::Button::on_leave_notify_event(event);
}

void Q7ZCursorButton::showTitleMarkup(const Glib::ustring& markup) {
    if (!get_child()) {
        set_label({});  // makes the label child
    }
    if (auto* label = dynamic_cast<Gtk::Label*>(get_child())) {
        label->set_markup(markup);
    }
}
