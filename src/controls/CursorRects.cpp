#include "controls/CursorRects.h"

namespace CursorRects {

Glib::RefPtr<Gdk::Cursor> pointingHandCursor(const Glib::RefPtr<Gdk::Display>& display) {
    auto cursor = Gdk::Cursor::create(display, "pointer");
    return cursor ? cursor : Gdk::Cursor::create(display, Gdk::HAND2);
}

void resetCursorRect(const Glib::RefPtr<Gdk::Window>& window, bool enabled, const Glib::RefPtr<Gdk::Cursor>& cursor) {
    if (!window) {
        return;
    }
    if (!enabled) {
        window->set_cursor();
        return;
    }
    window->set_cursor(cursor ? cursor : pointingHandCursor(window->get_display()));
}

}  // namespace CursorRects
