#include "controls/Q7ZNonAcceptTouchsView.h"

#include <gdkmm/general.h>

Q7ZNonAcceptTouchsView::Q7ZNonAcceptTouchsView() {
    // An input-only window over the child: the cover takes the events, and what it shows is
    // drawn on the parent's surface, so translucency works without an alpha visual.
    set_visible_window(false);
    set_above_child(true);
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::SCROLL_MASK | Gdk::SMOOTH_SCROLL_MASK);
}

void Q7ZNonAcceptTouchsView::setBackgroundColor(std::optional<Gdk::RGBA> color) {
    m_backgroundColor = std::move(color);
    queue_draw();
}

void Q7ZNonAcceptTouchsView::dimBackground() {
    Gdk::RGBA halfBlack;
    halfBlack.set_rgba(0.0, 0.0, 0.0, 0.5);
    setBackgroundColor(halfBlack);
}

// Handled here, a click neither reaches the widgets below nor travels up to the parents.
bool Q7ZNonAcceptTouchsView::on_button_press_event(GdkEventButton*) { return true; }

bool Q7ZNonAcceptTouchsView::on_button_release_event(GdkEventButton*) { return true; }

bool Q7ZNonAcceptTouchsView::on_scroll_event(GdkEventScroll*) { return true; }

bool Q7ZNonAcceptTouchsView::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    if (m_backgroundColor) {
        context->save();
        Gdk::Cairo::set_source_rgba(context, *m_backgroundColor);
        context->paint();
        context->restore();
    }
    return Gtk::EventBox::on_draw(context);
}
