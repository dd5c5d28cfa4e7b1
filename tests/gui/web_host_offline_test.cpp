// The "no network connection" warning, with no network for real: before anything starts, this
// program moves into a network namespace of its own that has only the loopback interface, so a
// load of an outside address fails as it does on an offline computer (no route). The web
// engine's processes and the demo server, started later, share the namespace. One warning per
// failed load; a server that merely refuses the connection is not a missing network.

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "platform/Bundle.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "web/Q7ZPopupWindow.h"
#include "web/Q7ZWebPolicy.h"

namespace {

using namespace std::chrono_literals;

// Empty on success, else what failed.
std::string enterOfflineNamespace() {
    if (unshare(CLONE_NEWNET) != 0) return std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq loopback{};
    std::strncpy(loopback.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = probe >= 0 && ioctl(probe, SIOCGIFFLAGS, &loopback) == 0 &&
                    (loopback.ifr_flags |= IFF_UP, ioctl(probe, SIOCSIFFLAGS, &loopback) == 0);
    const std::string failure = up ? "" : std::string("bringing up the loopback interface: ") + std::strerror(errno);
    if (probe >= 0) close(probe);
    return failure;
}

// Before main: no thread may exist yet when the namespace changes.
const std::string g_offlineFailure = enterOfflineNamespace();

// Each load waits until the load has ended and queued work has run, then counts the warnings.
TEST(OfflineTest, EachLoadThatFindsNoNetworkWarnsOnceAndOtherFailuresStaySilent) {
    ASSERT_EQ(g_offlineFailure, "") << "this test needs a network namespace of its own";
    GtkTestEnvironment::ensure();
    DemoServer server;
    ScriptedDialogs dialogs;
    Gtk::Window main;
    GObjectPtr<WebKitWebView> view(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
    Q7ZPopupWindow popup(main, [](WebKitWebView*) {});
    Q7ZWebPolicy policy(view.get(), Q7ZOrganisationPages("http://127.0.0.1/"), popup, dialogs, nullptr);
    policy.attach(view.get());
    for (int alert = 0; alert < 2; ++alert) dialogs.answerAlert(0);
    const std::pair<std::string, std::size_t> loads[] = {
        {"http://192.0.2.1/VUD/Parlor/ParlorLogin.aspx", 1},
        {"http://127.0.0.1:1/", 1},  // refused: the server's matter
        {server.url("test/status/500"), 1},
        {"http://192.0.2.1/again", 2},
    };
    for (const auto& [url, warnings] : loads) {
        webkit_web_view_load_uri(view.get(), url.c_str());
        ASSERT_TRUE(pumpUntil([&] { return !webkit_web_view_is_loading(view.get()); }, 20s)) << url;
        pumpFor(300ms);
        EXPECT_EQ(dialogs.alerts().size(), warnings) << url;
    }
    EXPECT_EQ(dialogs.alerts(), std::vector<std::string>(2, localizedString("m754")));
}

}  // namespace
