#pragma once
// The zoom of the program's web views (the main view and the popup's): one level for all,
// stepped by View ▸ Zoom In, Zoom Out and Actual Size or Ctrl+scroll over a page, and kept in
// the user defaults across runs. Main thread only.

#include <vector>

#include <webkit2/webkit2.h>

#include "web/policy/Q7ZZoomLevels.h"

class Q7ZPageZoom {
public:
    Q7ZPageZoom();
    ~Q7ZPageZoom();
    Q7ZPageZoom(const Q7ZPageZoom&) = delete;
    Q7ZPageZoom& operator=(const Q7ZPageZoom&) = delete;

    // The view shows the level from now on, until it goes.
    void attach(WebKitWebView* view);
    void step(Q7ZZoomLevels::Step step);
    int percent() const { return m_percent; }

private:
    static gboolean on_view_scroll(GtkWidget* view, GdkEventScroll* event, gpointer zoom);
    static void on_view_finalized(gpointer zoom, GObject* view);

    int m_percent;
    std::vector<WebKitWebView*> m_views;  // followed, not owned
};
