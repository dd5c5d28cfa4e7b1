#pragma once
// A cover laid over other widgets (as an overlay child) that takes every click and scroll, so
// nothing below it can be used. It has an input window above its own child, so a spinner or
// message placed on it does not take clicks either. It can dim what lies below with a
// translucent black.
//
// Keyboard input is not the cover's business: its owner makes the widgets below insensitive
// or keeps the focus away from them if that matters.

#include <optional>

#include <gdkmm/rgba.h>
#include <gtkmm/eventbox.h>

class Q7ZNonAcceptTouchsView : public Gtk::EventBox {
public:
    Q7ZNonAcceptTouchsView();

    // Painted over the cover's whole area before its child; none paints nothing.
    void setBackgroundColor(std::optional<Gdk::RGBA> color);
    const std::optional<Gdk::RGBA>& backgroundColor() const { return m_backgroundColor; }
    // Black at half opacity, the usual "busy" cover.
    void dimBackground();

protected:
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_button_release_event(GdkEventButton* event) override;
    bool on_scroll_event(GdkEventScroll* event) override;
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;

private:
    std::optional<Gdk::RGBA> m_backgroundColor;
};
