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
#include "support/gui/WidgetEvents.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"

namespace {

// Stands in for the dock: every Update signal on the bus, written as "<app uri> <count>
// visible|hidden [urgent]" for an object path under the launcher entry's own root.
class DockListener {
public:
    DockListener() {
        m_subscription = g_dbus_connection_signal_subscribe(
            m_connection.get(), nullptr, "com.canonical.Unity.LauncherEntry", "Update", nullptr, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, &DockListener::onSignal, this, nullptr);
        // The match rule must reach the bus before anything is emitted.
        g_dbus_connection_flush_sync(m_connection.get(), nullptr, nullptr);
        pumpFor(std::chrono::milliseconds(50));
    }
    ~DockListener() { g_dbus_connection_signal_unsubscribe(m_connection.get(), m_subscription); }

    std::vector<std::string> updates;

private:
    static void onSignal(GDBusConnection*, const gchar*, const gchar* objectPath, const gchar*, const gchar*,
                         GVariant* parameters, gpointer self) {
        const gchar* uri = nullptr;
        GVariant* properties = nullptr;
        gint64 count = -1;
        gboolean visible = FALSE, urgent = FALSE;
        g_variant_get(parameters, "(&s@a{sv})", &uri, &properties);
        GVariantPtr owned(properties);
        g_variant_lookup(properties, "count", "x", &count);
        g_variant_lookup(properties, "count-visible", "b", &visible);
        g_variant_lookup(properties, "urgent", "b", &urgent);
        const bool underRoot = std::string(objectPath).rfind("/com/canonical/unity/launcherentry/", 0) == 0;
        static_cast<DockListener*>(self)->updates.push_back(std::string(underRoot ? "" : "<elsewhere> ") + uri + " " +
                                                            std::to_string(count) + (visible ? " visible" : " hidden") +
                                                            (urgent ? " urgent" : ""));
    }

    GObjectPtr<GDBusConnection> m_connection = PrivateSessionBus::instance().connect();
    guint m_subscription = 0;
};

const std::string kApp = "application://app.velloq.Parlor.desktop ";

class LauncherEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    bool waitForUpdates(std::size_t count) { return pumpUntil([&] { return dock.updates.size() >= count; }); }

    DockListener dock;
    LauncherEntry entry{"app.velloq.Parlor"};
};

}  // namespace

TEST_F(LauncherEntryTest, BadgeAndUrgencySignalsCarryTheValuesSent) {
    entry.setCount(5);
    entry.setUrgent(true);
    entry.setUrgent(false);
    entry.setCount(0);
    entry.setCount(-4);  // a negative count hides the badge like zero
    ASSERT_TRUE(waitForUpdates(5));
    EXPECT_EQ(dock.updates, (std::vector<std::string>{kApp + "5 visible", kApp + "5 visible urgent", kApp + "5 visible",
                                                      kApp + "0 hidden", kApp + "0 hidden"}));
    EXPECT_EQ(entry.count(), 0);
}

TEST_F(LauncherEntryTest, AttentionMarksWindowAndLauncherUntilTheWindowIsFocused) {
    Gtk::Window window;
    // Off screen: with no window manager the X server focuses the window under the pointer,
    // and other tests on the shared server move the pointer.
    window.move(-2000, -2000);
    window.show();
    Attention withoutLauncher(window, nullptr);
    withoutLauncher.request();
    EXPECT_TRUE(window.get_urgency_hint());
    withoutLauncher.cancel();
    EXPECT_FALSE(window.get_urgency_hint());

    Attention attention(window, &entry);
    attention.request();
    EXPECT_TRUE(window.get_urgency_hint());
    ASSERT_TRUE(waitForUpdates(1));
    sendFocusChange(window, true);
    EXPECT_FALSE(window.get_urgency_hint());
    ASSERT_TRUE(waitForUpdates(2));

    // An active window is not marked at all.
    ASSERT_TRUE(window.is_active());
    attention.request();
    EXPECT_FALSE(window.get_urgency_hint());
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(dock.updates, (std::vector<std::string>{kApp + "0 hidden urgent", kApp + "0 hidden"}));
}
