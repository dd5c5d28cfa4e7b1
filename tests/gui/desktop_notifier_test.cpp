// Desktop notifications on a private bus: python-dbusmock plays the desktop's notification
// daemon. A posted notification reaches it with its title, body and a default action, and
// withdrawing one closes that one. A click reaching the handler is proved by the web host test.

#include <string>

#include <gtkmm/application.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/desktop/DesktopNotifier.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/MainLoopPump.h"

namespace {

constexpr const char* kDaemonName = "org.freedesktop.Notifications";

// The text form of argument index of a recorded call (dbusmock hands them over boxed in variants).
std::string argumentText(const GVariantPtr& arguments, gsize index) {
    GVariantPtr boxed(g_variant_get_child_value(arguments.get(), index));
    GVariantPtr value(g_variant_get_variant(boxed.get()));
    GCharPtr text(g_variant_print(value.get(), FALSE));
    return text.get();
}

}  // namespace

TEST(DesktopNotifierTest, NotificationReachesTheDaemonWithItsDefaultActionAndIsWithdrawnByItsId) {
    // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
    g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
    GtkTestEnvironment::ensure();
    DbusMock daemon{{"--template", "notification_daemon"}, kDaemonName, "/org/freedesktop/Notifications"};
    ASSERT_TRUE(daemon.isRunning());
    auto application = Gtk::Application::create("app.velloq.NotifierTest", Gio::APPLICATION_NON_UNIQUE);
    ASSERT_TRUE(application->register_application());
    DesktopNotifier notifier(application, [](const std::string&, const std::string&) {});

    notifier.post("Sales(Ann)", "it's \"quoted\"", "showNotice", "{}");
    const std::string second = notifier.post("Bob", "body", "showInviteNotice", "{}");
    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("Notify").size() == 2; }));
    const auto calls = daemon.methodCalls("Notify");
    const GVariantPtr& notify = calls[0];
    EXPECT_EQ(argumentText(notify, 3), "'Sales(Ann)'");
    EXPECT_EQ(argumentText(notify, 4), R"("it's \"quoted\"")");
    EXPECT_THAT(argumentText(notify, 5), testing::StartsWith("['default', "));

    // The mock numbers notifications from 1 in the order they arrive.
    notifier.withdraw(second);
    ASSERT_TRUE(pumpUntil([&] { return daemon.methodCalls("CloseNotification").size() == 1; }));
    EXPECT_EQ(argumentText(daemon.methodCalls("CloseNotification")[0], 0), "2");
}
