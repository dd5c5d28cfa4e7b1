#include "controls/Q7ZCursorPopUpButton.h"

#include <functional>

#include <gtkmm/button.h>

#include "controls/CursorRects.h"

namespace {

// The combo box draws itself through an internal button; its parts are internal children,
// which only forall() visits.
void collectButtonWindows(Gtk::Widget& widget, std::vector<Glib::RefPtr<Gdk::Window>>& windows) {
    if (auto* button = dynamic_cast<Gtk::Button*>(&widget)) {
        if (auto window = button->get_event_window()) {
            windows.push_back(window);
        }
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget)) {
        container->forall([&windows](Gtk::Widget& child) { collectButtonWindows(child, windows); });
    }
}

}  // namespace

Q7ZCursorPopUpButton::Q7ZCursorPopUpButton() = default;

std::vector<Glib::RefPtr<Gdk::Window>> Q7ZCursorPopUpButton::cursorWindows() {
    std::vector<Glib::RefPtr<Gdk::Window>> windows;
    collectButtonWindows(*this, windows);
    return windows;
}

void Q7ZCursorPopUpButton::resetCursorRects() {
    for (const auto& window : cursorWindows()) {
        CursorRects::resetCursorRect(window, m_enableCursor, m_cursor);
    }
}

// Internal children are realised when they are mapped, so this is the first moment their
// windows exist.
void Q7ZCursorPopUpButton::on_map() {
    Gtk::ComboBoxText::on_map();
    resetCursorRects();
}

void Q7ZCursorPopUpButton::on_size_allocate(Gtk::Allocation& allocation) {
    Gtk::ComboBoxText::on_size_allocate(allocation);
    resetCursorRects();
}
