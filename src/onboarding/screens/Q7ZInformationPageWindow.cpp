#include "onboarding/screens/Q7ZInformationPageWindow.h"

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "BuildConfig.h"
#include "web/Q7ZWebContext.h"

namespace Q7ZInformationPageWindow {

std::string informationPageUrl() {
    std::string host = BuildConfig::kInfoPageHost;
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host + "/get-more-info/";
}

void open(const std::string& url, Gtk::Window* mainWindow) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (mainWindow) {
        gtk_window_set_title(GTK_WINDOW(window), mainWindow->get_title().c_str());
        if (auto icon = mainWindow->get_icon()) gtk_window_set_icon(GTK_WINDOW(window), icon->gobj());
    }
    gtk_window_set_default_size(GTK_WINDOW(window), kContentWidth, kContentHeight);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);

    WebKitWebView* webView = Q7ZWebContext::newWebView();
    gtk_widget_set_size_request(GTK_WIDGET(webView), kMinimumSize, kMinimumSize);
    gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(webView));  // the window holds it from here
    webkit_web_view_load_uri(webView, url.c_str());
    g_object_unref(webView);

    gtk_widget_show_all(window);
    gtk_window_present(GTK_WINDOW(window));
}

}  // namespace Q7ZInformationPageWindow
