#include "support/gui/GtkTestEnvironment.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include "platform/MainThread.h"
#include "support/gui/PrivateSessionBus.h"

void GtkTestEnvironment::ensure() {
    static const bool ready = [] {
        PrivateSessionBus::instance();  // before GTK or GIO touch the session bus
        MainThread::adoptCurrentThread();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    ASSERT_TRUE(ready) << "GTK could not open a display";
}
