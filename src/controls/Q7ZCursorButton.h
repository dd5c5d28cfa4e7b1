#pragma once
// A button that can show a hand cursor while the pointer is over it and swap its title for a
// hover title (for example an underlined link) until the pointer leaves.
//
// Titles are Pango markup. Setting normalString or highlightString does not change the title by
// itself: the owner sets the first title, and the button swaps on entering and leaving. The
// markup goes to the button's label; a button whose child is something other than a label
// (an image, say) keeps its child.
//
// A change of enableCursor or cursor takes effect at the next resetCursorRects(), which also
// runs when the button is realised, on every allocation and whenever the pointer enters.

#include <optional>

#include <gdkmm/cursor.h>
#include <gtkmm/button.h>

class Q7ZCursorButton : public Gtk::Button {
public:
    Q7ZCursorButton();

    // Empty: the pointing hand.
    const Glib::RefPtr<Gdk::Cursor>& cursor() const { return m_cursor; }
    void setCursor(Glib::RefPtr<Gdk::Cursor> cursor) { m_cursor = std::move(cursor); }
    bool enableCursor() const { return m_enableCursor; }
    void setEnableCursor(bool enable) { m_enableCursor = enable; }

    // Put back when the pointer leaves.
    const std::optional<Glib::ustring>& normalString() const { return m_normalString; }
    void setNormalString(std::optional<Glib::ustring> markup) { m_normalString = std::move(markup); }
    // Shown while the pointer is inside.
    const std::optional<Glib::ustring>& highlightString() const { return m_highlightString; }
    void setHighlightString(std::optional<Glib::ustring> markup) { m_highlightString = std::move(markup); }

    // Shows the cursor over the button when enableCursor is set, the inherited cursor otherwise.
    void resetCursorRects();

protected:
    void on_realize() override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_enter_notify_event(GdkEventCrossing* event) override;
    bool on_leave_notify_event(GdkEventCrossing* event) override;

private:
    void viewDidChangeFrame();
    void showTitleMarkup(const Glib::ustring& markup);

    Glib::RefPtr<Gdk::Cursor> m_cursor;
    bool m_enableCursor = false;
    std::optional<Glib::ustring> m_normalString;
    std::optional<Glib::ustring> m_highlightString;
};
