#include "platform/desktop/Attention.h"

Attention::Attention(Gtk::Window& window, LauncherEntry* launcher) : m_window(window), m_launcher(launcher) {
    m_focusConnection =
        m_window.signal_focus_in_event().connect(sigc::mem_fun(*this, &Attention::on_window_focus_in_event), false);
}

Attention::~Attention() { m_focusConnection.disconnect(); }

void Attention::request() {
    if (m_window.is_active()) return;
    m_requested = true;
    m_window.set_urgency_hint(true);
    if (m_launcher) m_launcher->setUrgent(true);
}

void Attention::cancel() {
    if (!m_requested) return;
    m_requested = false;
    m_window.set_urgency_hint(false);
    if (m_launcher) m_launcher->setUrgent(false);
}

bool Attention::on_window_focus_in_event(GdkEventFocus*) {
    cancel();
    return false;  // the window's own focus handling still runs
}
