#pragma once
// Signal handlers of one owner on any number of web views, each connected once. A view may be
// finalized before the owner; the handlers still connected are disconnected when this goes.

#include <string>
#include <tuple>
#include <vector>

#include <webkit2/webkit2.h>

class Q7ZViewSignalConnections {
public:
    Q7ZViewSignalConnections() = default;
    ~Q7ZViewSignalConnections();
    Q7ZViewSignalConnections(const Q7ZViewSignalConnections&) = delete;
    Q7ZViewSignalConnections& operator=(const Q7ZViewSignalConnections&) = delete;

    // Connects handler (with data) to the view's signal, unless this already did.
    void connect(WebKitWebView* view, const char* signal, GCallback handler, gpointer data);

private:
    static void on_view_finalized(gpointer connections, GObject* view);

    std::vector<std::tuple<WebKitWebView*, std::string, gulong>> m_handlers;
};
