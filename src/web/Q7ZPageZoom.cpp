#include "web/Q7ZPageZoom.h"

#include <algorithm>

#include "platform/UserDefaults.h"

Q7ZPageZoom::Q7ZPageZoom()
    : m_percent(Q7ZZoomLevels::fromStored(UserDefaults::standardUserDefaults().integer(UserDefaults::kPageZoom))) {}

Q7ZPageZoom::~Q7ZPageZoom() {
    for (WebKitWebView* view : m_views) {
        g_signal_handlers_disconnect_by_data(view, this);
        g_object_weak_unref(G_OBJECT(view), &Q7ZPageZoom::on_view_finalized, this);
    }
}

void Q7ZPageZoom::attach(WebKitWebView* view) {
    webkit_web_view_set_zoom_level(view, m_percent / 100.0);
    m_views.push_back(view);
    g_object_weak_ref(G_OBJECT(view), &Q7ZPageZoom::on_view_finalized, this);
    g_signal_connect(view, "scroll-event", G_CALLBACK(&Q7ZPageZoom::on_view_scroll), this);
}

void Q7ZPageZoom::step(Q7ZZoomLevels::Step step) {
    const int percent = Q7ZZoomLevels::next(m_percent, step);
    if (percent == m_percent) return;
    m_percent = percent;
    for (WebKitWebView* view : m_views) webkit_web_view_set_zoom_level(view, m_percent / 100.0);
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(UserDefaults::kPageZoom, m_percent);
    if (!defaults.synchronize()) g_warning("the page zoom could not be saved in %s", UserDefaults::filePath().c_str());
}

// Ctrl with the wheel zooms, as in browsers; a smooth scroll steps by its direction.
gboolean Q7ZPageZoom::on_view_scroll(GtkWidget*, GdkEventScroll* event, gpointer zoom) {
    if (!(event->state & GDK_CONTROL_MASK)) return FALSE;
    double deltaY = 0;
    if (event->direction == GDK_SCROLL_SMOOTH)
        gdk_event_get_scroll_deltas(reinterpret_cast<GdkEvent*>(event), nullptr, &deltaY);
    const bool up = event->direction == GDK_SCROLL_UP || deltaY < 0;
    const bool down = event->direction == GDK_SCROLL_DOWN || deltaY > 0;
    if (up || down) static_cast<Q7ZPageZoom*>(zoom)->step(up ? Q7ZZoomLevels::Step::In : Q7ZZoomLevels::Step::Out);
    return TRUE;
}

void Q7ZPageZoom::on_view_finalized(gpointer zoom, GObject* view) {
    std::erase(static_cast<Q7ZPageZoom*>(zoom)->m_views, reinterpret_cast<WebKitWebView*>(view));
}
