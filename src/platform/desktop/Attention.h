#pragma once
// Asking for the user's attention: the window's urgency hint is set until the window gets the
// focus, and the launcher entry is marked urgent for as long. A request while the window is
// already active does nothing, as there is nothing to call the user to.

#include <gtkmm/window.h>

#include "platform/desktop/LauncherEntry.h"

class Attention {
public:
    // Both are borrowed and must outlive this object; launcher may be null.
    Attention(Gtk::Window& window, LauncherEntry* launcher);
    ~Attention();
    Attention(const Attention&) = delete;
    Attention& operator=(const Attention&) = delete;

    void request();
    // Drops a pending request (also done when the window gets the focus).
    void cancel();
    bool isRequested() const { return m_requested; }

private:
    bool on_window_focus_in_event(GdkEventFocus* event);

    Gtk::Window& m_window;
    LauncherEntry* m_launcher;
    sigc::connection m_focusConnection;
    bool m_requested = false;
};
