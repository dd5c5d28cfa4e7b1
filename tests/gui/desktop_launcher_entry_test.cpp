// The launcher entry's Update signals as a dock hears them (a listener on its own connection to
// the private bus), and the attention request: the urgency hint and the launcher's "urgent"
// mark are set together and both cleared when the window gets the focus.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "platform/desktop/Attention.h"
#include "platform/desktop/LauncherEntry.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WidgetEvents.h"

namespace {

const std::string kApp = "application://app.velloq.Parlor.desktop ";

// The test stands in for the dock, listening on a connection of its own.
class LauncherEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    void SetUp() override {
        m_subscription = g_dbus_connection_signal_subscribe(m_dock.get(), nullptr, "com.canonical.Unity.LauncherEntry",
                                                            "Update", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                            &onUpdate, &updates, nullptr);
        // The match rule must reach the bus before anything is emitted.
        g_dbus_connection_flush_sync(m_dock.get(), nullptr, nullptr);
        pumpFor(std::chrono::milliseconds(50));
    }
    void TearDown() override { g_dbus_connection_signal_unsubscribe(m_dock.get(), m_subscription); }

    // Every Update signal, written as "<app uri> <count> visible|hidden [urgent]", led by
    // "<elsewhere> " for an object path outside the launcher entry's own root.
    static void onUpdate(GDBusConnection*, const gchar*, const gchar* objectPath, const gchar*, const gchar*,
                         GVariant* parameters, gpointer updates) {
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
        static_cast<std::vector<std::string>*>(updates)->push_back(
            std::string(underRoot ? "" : "<elsewhere> ") + uri + " " + std::to_string(count) +
            (visible ? " visible" : " hidden") + (urgent ? " urgent" : ""));
    }

    GObjectPtr<GDBusConnection> m_dock = PrivateSessionBus::instance().connect();
    guint m_subscription = 0;
    std::vector<std::string> updates;
    LauncherEntry entry{"app.velloq.Parlor"};
};

}  // namespace

TEST_F(LauncherEntryTest, BadgeSignalsCarryTheCountSentAndHideItAtZeroOrBelow) {
    entry.setCount(5);
    entry.setCount(0);
    entry.setCount(-4);  // a negative count hides the badge like zero
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 3; }));
    EXPECT_EQ(updates, (std::vector<std::string>{kApp + "5 visible", kApp + "0 hidden", kApp + "0 hidden"}));
}

TEST_F(LauncherEntryTest, AttentionMarksWindowAndLauncherUntilTheWindowIsFocused) {
    Gtk::Window window;
    // Off screen: with no window manager the X server focuses the window under the pointer,
    // and other tests on the shared server move the pointer.
    window.move(-2000, -2000);
    window.show();
    Attention attention(window, &entry);
    attention.request();
    EXPECT_TRUE(window.get_urgency_hint());
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 1; }));
    sendFocusChange(window, true);
    EXPECT_FALSE(window.get_urgency_hint());
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 2; }));

    // An active window is not marked at all.
    ASSERT_TRUE(window.is_active());
    attention.request();
    EXPECT_FALSE(window.get_urgency_hint());
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(updates, (std::vector<std::string>{kApp + "0 hidden urgent", kApp + "0 hidden"}));
}
