// Desktop notifications end to end on a private bus: python-dbusmock plays the desktop's
// notification daemon. A posted notification reaches it with its title, body and a default
// action; the daemon reporting a click (ActionInvoked) reaches the program's handler with the
// kind and the page's text, and the program then closes the notification.

#include <string>
#include <vector>

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

TEST(DesktopNotifierTest, NotificationReachesTheDaemonAndItsActionReachesTheHandlerWithKindAndText) {
    // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
    g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
    GtkTestEnvironment::ensure();
    DbusMock daemon{{"--template", "notification_daemon"}, kDaemonName, "/org/freedesktop/Notifications"};
    ASSERT_TRUE(daemon.isRunning());
    auto application = Gtk::Application::create("app.velloq.NotifierTest", Gio::APPLICATION_NON_UNIQUE);
    ASSERT_TRUE(application->register_application());
    std::vector<std::pair<std::string, std::string>> activations;
    DesktopNotifier notifier(application, [&](const std::string& kind, const std::string& text) {
        activations.push_back({kind, text});
    });
    const auto waitForCalls = [&daemon](const char* method, std::size_t count) {
        return pumpUntil([&] { return daemon.methodCalls(method).size() == count; });
    };

    const std::string text = R"({"Name":"Ann","Content":"it's \"quoted\"","Url":""})";
    const std::string first = notifier.post("Sales(Ann)", "Hello there", "showNotice", text);
    const std::string second = notifier.post("Bob", "body", "showInviteNotice", "{}");
    EXPECT_FALSE(first.empty());
    EXPECT_NE(first, second);
    ASSERT_TRUE(waitForCalls("Notify", 2));
    auto calls = daemon.methodCalls("Notify");
    EXPECT_EQ(argumentText(calls[0], 3), "'Sales(Ann)'");
    EXPECT_EQ(argumentText(calls[0], 4), "'Hello there'");
    EXPECT_THAT(argumentText(calls[0], 5), testing::StartsWith("['default', "));
    EXPECT_TRUE(activations.empty());

    // The mock numbers notifications from 1 in the order they arrive.
    ASSERT_TRUE(daemon.emitSignal(kDaemonName, "ActionInvoked", "us", g_variant_new_parsed("[<uint32 1>, <'default'>]")));
    ASSERT_TRUE(pumpUntil([&] { return !activations.empty(); }));
    EXPECT_EQ(activations, (std::vector<std::pair<std::string, std::string>>{{"showNotice", text}}));
    ASSERT_TRUE(waitForCalls("CloseNotification", 1));
    EXPECT_EQ(argumentText(daemon.methodCalls("CloseNotification")[0], 0), "1");

    notifier.withdraw(second);
    EXPECT_TRUE(waitForCalls("CloseNotification", 2));
}
