#include "web/Q7ZViewSignalConnections.h"

#include <algorithm>

Q7ZViewSignalConnections::~Q7ZViewSignalConnections() {
    for (const auto& [view, signal, handlerId] : m_handlers) {
        g_signal_handler_disconnect(view, handlerId);
        g_object_weak_unref(G_OBJECT(view), &Q7ZViewSignalConnections::on_view_finalized, this);
    }
}

void Q7ZViewSignalConnections::connect(WebKitWebView* view, const char* signal, GCallback handler, gpointer data) {
    const bool connected = std::any_of(m_handlers.begin(), m_handlers.end(), [&](const auto& entry) {
        return std::get<0>(entry) == view && std::get<1>(entry) == signal;
    });
    if (connected) return;
    m_handlers.emplace_back(view, signal, g_signal_connect(view, signal, handler, data));
    // One weak reference per handler, so that the destructor can drop them one by one.
    g_object_weak_ref(G_OBJECT(view), &Q7ZViewSignalConnections::on_view_finalized, this);
}

void Q7ZViewSignalConnections::on_view_finalized(gpointer connections, GObject* view) {
    auto& handlers = static_cast<Q7ZViewSignalConnections*>(connections)->m_handlers;
    // Called once per weak reference; the first call forgets all of the view's handlers and
    // the later ones find nothing left.
    std::erase_if(handlers, [view](const auto& entry) { return G_OBJECT(std::get<0>(entry)) == view; });
}
