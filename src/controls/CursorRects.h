#pragma once
// The cursor shown over a control. GTK has no cursor rectangles; a control's own input window
// carries the cursor instead, which covers exactly the control's bounds and follows them.

#include <gdkmm/cursor.h>
#include <gdkmm/window.h>

namespace CursorRects {

// The desktop's pointing hand ("pointer"), or the X hand where the theme has no such name.
Glib::RefPtr<Gdk::Cursor> pointingHandCursor(const Glib::RefPtr<Gdk::Display>& display);

// Shows `cursor` (the pointing hand when empty) over `window` when enabled, and the window's
// inherited cursor otherwise. Does nothing without a window.
void resetCursorRect(const Glib::RefPtr<Gdk::Window>& window, bool enabled, const Glib::RefPtr<Gdk::Cursor>& cursor);

}  // namespace CursorRects
