#include "support/gui/GtkTestEnvironment.h"

#include <gtk/gtk.h>
#include <gtkmm/main.h>
#include <gtest/gtest.h>

#include "platform/MainThread.h"
#include "support/gui/PrivateSessionBus.h"

void GtkTestEnvironment::ensure() {
    static const bool ready = [] {
        PrivateSessionBus::instance();  // before GTK or GIO touch the session bus
        MainThread::adoptCurrentThread();
        if (!gtk_init_check(nullptr, nullptr)) return false;
        Gtk::Main::init_gtkmm_internals();  // the C++ wrappers, without a Gtk::Application
        return true;
    }();
    ASSERT_TRUE(ready) << "GTK could not open a display";
}
