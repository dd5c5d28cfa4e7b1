// Desktop notifications end to end on a private bus: python-dbusmock plays the desktop's
// notification daemon. A posted notification reaches it with its title, body and a default
// action; the daemon reporting a click (ActionInvoked) reaches the program's handler with the
// kind and the page's text, and the program then closes the notification.

#include <string>
#include <vector>

#include <gtkmm/application.h>
#include <gtest/gtest.h>

#include "platform/desktop/DesktopNotifier.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/MainLoopPump.h"

namespace {

constexpr const char* kDaemonName = "org.freedesktop.Notifications";
constexpr const char* kDaemonPath = "/org/freedesktop/Notifications";

std::string stringArgument(GVariant* arguments, gsize index) {
    GVariantPtr boxed(g_variant_get_child_value(arguments, index));
    GVariantPtr value(g_variant_get_variant(boxed.get()));
    return g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(value.get(), nullptr) : "";
}

std::vector<std::string> actionsArgument(GVariant* arguments) {
    GVariantPtr boxed(g_variant_get_child_value(arguments, 5));
    GVariantPtr value(g_variant_get_variant(boxed.get()));
    std::vector<std::string> actions;
    gsize count = 0;
    const gchar** strings = g_variant_get_strv(value.get(), &count);
    actions.assign(strings, strings + count);
    g_free(strings);
    return actions;
}

guint32 uintArgument(GVariant* arguments, gsize index) {
    GVariantPtr boxed(g_variant_get_child_value(arguments, index));
    GVariantPtr value(g_variant_get_variant(boxed.get()));
    return g_variant_is_of_type(value.get(), G_VARIANT_TYPE_UINT32) ? g_variant_get_uint32(value.get())
                                                                     : guint32(g_variant_get_int32(value.get()));
}

class DesktopNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
        g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
        GtkTestEnvironment::ensure();
        // One per program: the application's objects stay exported on the shared connection.
        application = Gtk::Application::create("app.velloq.NotifierTest", Gio::APPLICATION_NON_UNIQUE);
        application->register_application();
    }

    static void TearDownTestSuite() { application.reset(); }

    void SetUp() override {
        ASSERT_TRUE(daemon.isRunning());
        ASSERT_TRUE(application && application->is_registered());
        notifier = std::make_unique<DesktopNotifier>(
            application, [this](const std::string& kind, const std::string& text) { activations.push_back({kind, text}); });
    }

    void TearDown() override { notifier.reset(); }

    DbusMock daemon{"notification_daemon", kDaemonName, kDaemonPath};
    static inline Glib::RefPtr<Gtk::Application> application;
    std::unique_ptr<DesktopNotifier> notifier;
    std::vector<std::pair<std::string, std::string>> activations;
};

}  // namespace

TEST_F(DesktopNotifierTest, NotificationReachesTheDaemonWithItsDefaultAction) {
    const std::string id = notifier->post("Sales(Ann)", "Hello there", "showIMNotice", R"({"ID":42})");
    ASSERT_FALSE(id.empty());

    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("Notify").size() == 1; }));
    auto calls = daemon.methodCalls("Notify");
    EXPECT_EQ(stringArgument(calls[0].get(), 3), "Sales(Ann)");
    EXPECT_EQ(stringArgument(calls[0].get(), 4), "Hello there");
    auto actions = actionsArgument(calls[0].get());
    ASSERT_GE(actions.size(), 2u);
    EXPECT_EQ(actions[0], "default");
    EXPECT_TRUE(activations.empty());
}

TEST_F(DesktopNotifierTest, ClickReachesTheHandlerWithKindAndTextAndClosesTheNotification) {
    const std::string text = R"({"Name":"Ann","Content":"it's \"quoted\"","Url":""})";
    notifier->post("Ann", "body", "showNotice", text);
    notifier->post("Bob", "body", "showInviteNotice", "{}");
    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("Notify").size() == 2; }));
    // The mock numbers notifications from 1 in the order they arrive.
    ASSERT_TRUE(daemon.emitSignal(kDaemonName, "ActionInvoked", "us", g_variant_new("(us)", 1u, "default")));

    ASSERT_TRUE(pumpUntil([&] { return !activations.empty(); }));
    EXPECT_EQ(activations, (std::vector<std::pair<std::string, std::string>>{{"showNotice", text}}));
    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("CloseNotification").size() == 1; }));
    EXPECT_EQ(uintArgument(daemon.methodCalls("CloseNotification")[0].get(), 0), 1u);
}

TEST_F(DesktopNotifierTest, EachPostIsItsOwnNotification) {
    const std::string first = notifier->post("A", "", "showNotice", "{}");
    const std::string second = notifier->post("B", "", "showNotice", "{}");
    EXPECT_NE(first, second);
    EXPECT_TRUE(pumpUntil([&] { return daemon.methodCalls("Notify").size() == 2; }));
}

TEST_F(DesktopNotifierTest, WithdrawClosesTheNotificationAtTheDaemon) {
    const std::string id = notifier->post("A", "", "showNotice", "{}");
    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("Notify").size() == 1; }));
    notifier->withdraw(id);
    EXPECT_TRUE(pumpUntil([&] { return daemon.methodCalls("CloseNotification").size() == 1; }));
}
