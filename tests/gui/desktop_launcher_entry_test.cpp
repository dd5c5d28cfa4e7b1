// The launcher entry's Update signals as a dock hears them (a listener on its own connection to
// the private bus), and the attention request: the urgency hint and the launcher's "urgent"
// mark are set together and both cleared when the window gets the focus.

#include <string>
#include <vector>

#include <gtkmm/window.h>
#include <gtest/gtest.h>

#include "platform/desktop/Attention.h"
#include "platform/desktop/LauncherEntry.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/MainLoopPump.h"
#include "support/gui/PrivateSessionBus.h"

namespace {

struct Update {
    std::string appUri;
    std::string objectPath;
    gint64 count = -1;
    bool countVisible = false;
    bool urgent = false;
};

// Stands in for the dock: every Update signal on the bus.
class DockListener {
public:
    DockListener() : m_connection(PrivateSessionBus::instance().connect()) {
        m_subscription = g_dbus_connection_signal_subscribe(
            m_connection.get(), nullptr, "com.canonical.Unity.LauncherEntry", "Update", nullptr, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, &DockListener::onSignal, this, nullptr);
        // The match rule must reach the bus before anything is emitted.
        g_dbus_connection_flush_sync(m_connection.get(), nullptr, nullptr);
        pumpFor(std::chrono::milliseconds(50));
    }
    ~DockListener() { g_dbus_connection_signal_unsubscribe(m_connection.get(), m_subscription); }

    std::vector<Update> updates;

private:
    static void onSignal(GDBusConnection*, const gchar*, const gchar* objectPath, const gchar*, const gchar*,
                         GVariant* parameters, gpointer self) {
        Update update;
        update.objectPath = objectPath;
        const gchar* uri = nullptr;
        GVariant* properties = nullptr;
        g_variant_get(parameters, "(&s@a{sv})", &uri, &properties);
        GVariantPtr owned(properties);
        update.appUri = uri;
        gboolean visible = FALSE, urgent = FALSE;
        g_variant_lookup(properties, "count", "x", &update.count);
        g_variant_lookup(properties, "count-visible", "b", &visible);
        g_variant_lookup(properties, "urgent", "b", &urgent);
        update.countVisible = visible;
        update.urgent = urgent;
        static_cast<DockListener*>(self)->updates.push_back(update);
    }

    GObjectPtr<GDBusConnection> m_connection;
    guint m_subscription = 0;
};

class LauncherEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    bool waitForUpdates(std::size_t count) { return pumpUntil([&] { return dock.updates.size() >= count; }); }

    DockListener dock;
    LauncherEntry entry{"app.velloq.Parlor"};
};

void sendFocusIn(Gtk::Window& window) {
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->focus_change.in = TRUE;
    gtk_widget_send_focus_change(GTK_WIDGET(window.gobj()), event);
    gdk_event_free(event);
}

}  // namespace

TEST_F(LauncherEntryTest, BadgeCountIsSentForTheApplicationsDesktopFile) {
    entry.setCount(5);
    ASSERT_TRUE(waitForUpdates(1));
    const Update& update = dock.updates.back();
    EXPECT_EQ(update.appUri, "application://app.velloq.Parlor.desktop");
    EXPECT_EQ(update.objectPath.rfind("/com/canonical/unity/launcherentry/", 0), 0u);
    EXPECT_EQ(update.count, 5);
    EXPECT_TRUE(update.countVisible);
    EXPECT_FALSE(update.urgent);
}

TEST_F(LauncherEntryTest, ZeroOrNegativeCountHidesTheBadge) {
    entry.setCount(3);
    entry.setCount(0);
    entry.setCount(-4);
    ASSERT_TRUE(waitForUpdates(3));
    EXPECT_TRUE(dock.updates[0].countVisible);
    for (std::size_t index : {1u, 2u}) {
        EXPECT_FALSE(dock.updates[index].countVisible);
        EXPECT_EQ(dock.updates[index].count, 0);
    }
    EXPECT_EQ(entry.count(), 0);
}

TEST_F(LauncherEntryTest, UrgentIsSentWithTheCurrentCount) {
    entry.setCount(2);
    entry.setUrgent(true);
    entry.setUrgent(false);
    ASSERT_TRUE(waitForUpdates(3));
    EXPECT_TRUE(dock.updates[1].urgent);
    EXPECT_EQ(dock.updates[1].count, 2);
    EXPECT_TRUE(dock.updates[1].countVisible);
    EXPECT_FALSE(dock.updates[2].urgent);
}

TEST_F(LauncherEntryTest, AttentionMarksWindowAndLauncherUntilTheWindowIsFocused) {
    Gtk::Window window;
    window.show();
    Attention attention(window, &entry);

    attention.request();
    EXPECT_TRUE(window.get_urgency_hint());
    EXPECT_TRUE(attention.isRequested());
    ASSERT_TRUE(waitForUpdates(1));
    EXPECT_TRUE(dock.updates.back().urgent);

    sendFocusIn(window);
    EXPECT_FALSE(window.get_urgency_hint());
    EXPECT_FALSE(attention.isRequested());
    ASSERT_TRUE(waitForUpdates(2));
    EXPECT_FALSE(dock.updates.back().urgent);
}

TEST_F(LauncherEntryTest, AttentionIsNotRequestedFromAnActiveWindow) {
    Gtk::Window window;
    window.show();
    sendFocusIn(window);
    ASSERT_TRUE(window.is_active());
    Attention attention(window, &entry);

    attention.request();
    EXPECT_FALSE(window.get_urgency_hint());
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(dock.updates.empty());
}

TEST_F(LauncherEntryTest, AttentionWithoutALauncherStillSetsTheHint) {
    Gtk::Window window;
    window.show();
    Attention attention(window, nullptr);
    attention.request();
    EXPECT_TRUE(window.get_urgency_hint());
    attention.cancel();
    EXPECT_FALSE(window.get_urgency_hint());
}
