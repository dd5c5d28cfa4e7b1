#include "web/Q7ZPopupWindow.h"

#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/stylecontext.h>

#include "controls/StyleSheets.h"

namespace {

constexpr int kContentSize = 600;
constexpr int kMinimumSize = 200;

void paintWhite(Gtk::Window& window) {
    StyleSheets::require("windows");
    window.get_style_context()->add_class("velloq-popup-window");
}

void centreOnScreen(Gtk::Window& window) {
    auto display = window.get_display();
    auto monitor = display->get_primary_monitor();
    if (!monitor) monitor = display->get_monitor(0);
    if (!monitor) return;
    Gdk::Rectangle area;
    monitor->get_workarea(area);
    int width = 0, height = 0;
    window.get_size(width, height);
    window.move(area.get_x() + (area.get_width() - width) / 2, area.get_y() + (area.get_height() - height) / 2);
}

}  // namespace

Q7ZPopupWindow::Q7ZPopupWindow(Gtk::Window& mainWindow, ViewServer serveView)
    : m_mainWindow(mainWindow), m_serveView(std::move(serveView)) {}

Q7ZPopupWindow::~Q7ZPopupWindow() { m_idleDrop.disconnect(); }

void Q7ZPopupWindow::attach(WebKitWebView* view) {
    m_connections.connect(view, "create", G_CALLBACK(&Q7ZPopupWindow::on_view_create), this);
}

void Q7ZPopupWindow::close() {
    if (!m_window) return;
    m_window->hide();
    m_closedWindow = std::move(m_window);
    dropWhenIdle();
}

// The engine's navigation action always carries the request that it loads into the view
// answered here, right after this returns; every request therefore gets a view.
GtkWidget* Q7ZPopupWindow::on_view_create(WebKitWebView* opener, WebKitNavigationAction*, gpointer popup) {
    return GTK_WIDGET(static_cast<Q7ZPopupWindow*>(popup)->openView(opener));
}

void Q7ZPopupWindow::on_view_ready_to_show(WebKitWebView* view, gpointer popup) {
    auto& self = *static_cast<Q7ZPopupWindow*>(popup);
    if (self.isShowing(view)) self.m_window->present();
}

// The page's window.close(); a view already replaced has nothing left to close.
void Q7ZPopupWindow::on_view_close(WebKitWebView* view, gpointer popup) {
    auto& self = *static_cast<Q7ZPopupWindow*>(popup);
    if (self.isShowing(view)) self.close();
}

bool Q7ZPopupWindow::on_window_delete_event(GdkEventAny*) {
    close();
    return true;
}

WebKitWebView* Q7ZPopupWindow::openView(WebKitWebView* opener) {
    auto* view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_related_view(opener));
    install(view);
    attach(view);
    m_connections.connect(view, "ready-to-show", G_CALLBACK(&Q7ZPopupWindow::on_view_ready_to_show), this);
    m_connections.connect(view, "close", G_CALLBACK(&Q7ZPopupWindow::on_view_close), this);
    if (m_serveView) m_serveView(view);
    return view;
}

Gtk::Window& Q7ZPopupWindow::ensureWindow() {
    if (m_window) return *m_window;
    m_window = std::make_unique<Gtk::Window>();
    m_window->set_title(m_mainWindow.get_title());
    m_window->set_default_size(kContentSize, kContentSize);
    Gdk::Geometry minimum{};
    minimum.min_width = kMinimumSize;
    minimum.min_height = kMinimumSize;
    m_window->set_geometry_hints(*m_window, minimum, Gdk::HINT_MIN_SIZE);
    paintWhite(*m_window);
    m_window->signal_delete_event().connect(sigc::mem_fun(*this, &Q7ZPopupWindow::on_window_delete_event));
    return *m_window;
}

// The window holds the view (it sinks the view's floating reference); a replaced view may be
// the one whose request is being answered, so it is released only when that is over.
void Q7ZPopupWindow::install(WebKitWebView* view) {
    auto* container = GTK_CONTAINER(ensureWindow().gobj());
    if (GtkWidget* previous = gtk_bin_get_child(GTK_BIN(container))) {
        m_replacedViews.push_back(retainObject(previous));
        gtk_container_remove(container, previous);
        dropWhenIdle();
    }
    gtk_container_add(container, GTK_WIDGET(view));
    gtk_widget_show(GTK_WIDGET(view));
    centreOnScreen(*m_window);
}

bool Q7ZPopupWindow::isShowing(WebKitWebView* view) const {
    return m_window && gtk_bin_get_child(GTK_BIN(m_window->gobj())) == GTK_WIDGET(view);
}

void Q7ZPopupWindow::dropWhenIdle() {
    if (m_idleDrop.connected()) return;
    m_idleDrop = Glib::signal_idle().connect([this] {
        m_closedWindow.reset();
        m_replacedViews.clear();
        return false;
    });
}
