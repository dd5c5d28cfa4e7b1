#pragma once
// A pop-up list of texts that can show a hand cursor while the pointer is over it.
//
// A change of enableCursor or cursor takes effect at the next resetCursorRects(), which also
// runs when the pop-up is mapped and on every allocation.

#include <vector>

#include <gdkmm/cursor.h>
#include <gtkmm/comboboxtext.h>

class Q7ZCursorPopUpButton : public Gtk::ComboBoxText {
public:
    Q7ZCursorPopUpButton();

    // Empty: the pointing hand.
    const Glib::RefPtr<Gdk::Cursor>& cursor() const { return m_cursor; }
    void setCursor(Glib::RefPtr<Gdk::Cursor> cursor) { m_cursor = std::move(cursor); }
    bool enableCursor() const { return m_enableCursor; }
    void setEnableCursor(bool enable) { m_enableCursor = enable; }

    void resetCursorRects();

    // The input windows that take the pointer over the closed pop-up: those of the button the
    // combo box is built from. Empty until the pop-up is realised.
    std::vector<Glib::RefPtr<Gdk::Window>> cursorWindows();

protected:
    void on_map() override;
    void on_size_allocate(Gtk::Allocation& allocation) override;

private:
    Glib::RefPtr<Gdk::Cursor> m_cursor;
    bool m_enableCursor = false;
};
