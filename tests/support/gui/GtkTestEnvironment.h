#pragma once
// Starting GTK once per test program, on the private session bus, with this thread adopted as
// the main thread. Call GtkTestEnvironment::ensure() from SetUpTestSuite (or the first line of
// a test); it is cheap after the first call.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include "platform/MainThread.h"
#include "support/PrivateSessionBus.h"

class GtkTestEnvironment {
public:
    static void ensure() {
        static const bool ready = [] {
            PrivateSessionBus::instance();  // before GTK or GIO touch the session bus
            MainThread::adoptCurrentThread();
            // The shared X server can refuse a connection for a moment while other tests start.
            bool opened = gtk_init_check(nullptr, nullptr);
            for (int attempt = 0; !opened && attempt < 10; ++attempt) {
                g_usleep(200 * 1000);
                opened = gtk_init_check(nullptr, nullptr);
            }
            if (opened) Gtk::Main::init_gtkmm_internals();  // the C++ wrappers, without a Gtk::Application
            return opened;
        }();
        ASSERT_TRUE(ready) << "GTK could not open the display \"" << (g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "")
                           << "\"";
    }
};
