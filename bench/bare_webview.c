/* The yardstick for start-up: the engine's own window and nothing else. An 800x600 window
 * holding a web view that starts loading the page before the window is shown, as the program
 * does; it runs until killed. bench/startup times it, as it times the program, to the page's
 * document:load-complete event on the accessibility bus.
 *
 *   bare_webview URL
 */

#include <stdio.h>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

int main(int argc, char* argv[]) {
    gtk_init(&argc, &argv);
    if (argc != 2) {
        fprintf(stderr, "usage: bare_webview URL\n");
        return 2;
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    GtkWidget* view = webkit_web_view_new();
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);

    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
