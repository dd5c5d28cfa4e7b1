#include "support/gui/GtkTestEnvironment.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include "platform/MainThread.h"
#include "support/PrivateSessionBus.h"

void GtkTestEnvironment::ensure() {
    static const bool ready = [] {
        PrivateSessionBus::instance();  // before GTK or GIO touch the session bus
        MainThread::adoptCurrentThread();
        // The shared X server can refuse a connection for a moment while other tests start.
        bool opened = gtk_init_check(nullptr, nullptr);
        for (int attempt = 0; !opened && attempt < 10; ++attempt) {
            g_usleep(200 * 1000);
            opened = gtk_init_check(nullptr, nullptr);
        }
        if (!opened) return false;
        Gtk::Main::init_gtkmm_internals();  // the C++ wrappers, without a Gtk::Application
        return true;
    }();
    ASSERT_TRUE(ready) << "GTK could not open the display \"" << (g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "")
                       << "\"";
}
