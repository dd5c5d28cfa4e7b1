// The web host in-process, hosting the demo server's sample web app (see WebHostFixture). The
// test drives the page by script, as the web app would, and watches what reaches the page (its
// log of received calls), the notification daemon (python-dbusmock), the launcher entry, the
// settings store and the handlers registered in the test's home for the addresses the desktop
// is asked to open. The bridge is also driven from a subframe of the one popup two windows
// opened in a row share: exactly its eleven operations, texts intact both ways, malformed calls
// changing nothing and plain prompts left to the page.

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/PageScript.h"
#include "platform/Bundle.h"
#include "settings/Q7ZSettingWindow.h"
#include "support/gui/DbusMock.h"
#include "support/gui/WebHostFixture.h"

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kDaemonName = "org.freedesktop.Notifications";

// Argument index of a call the daemon recorded, as text (dbusmock boxes each in a variant).
std::string argumentText(const GVariantPtr& call, gsize index) {
    GVariantPtr boxed(g_variant_get_child_value(call.get(), index));
    GVariantPtr value(g_variant_get_variant(boxed.get()));
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) return g_variant_get_string(value.get(), nullptr);
    return GCharPtr(g_variant_print(value.get(), FALSE)).get();
}

class WebHostTest : public WebHostFixture {
protected:
    static void SetUpTestSuite() {
        // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
        g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
        WebHostFixture::SetUpTestSuite();
        s_daemon = std::make_unique<DbusMock>(std::vector<std::string>{"--template", "notification_daemon"}, kDaemonName,
                                              "/org/freedesktop/Notifications");
    }
    static void TearDownTestSuite() {
        WebHostFixture::TearDownTestSuite();
        s_daemon.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_daemon->isRunning());
        WebHostFixture::SetUp();
    }
    std::size_t daemonCalls(const char* method) { return s_daemon->methodCalls(method).size(); }

    static inline std::unique_ptr<DbusMock> s_daemon;
};

TEST_F(WebHostTest, QueriesAnswerThroughTheirCallbackAndConfirmationsHoldTheScriptUntilAnswered) {
    const std::string answers = run(
        "var r = []; navigateObj.getEnterpriseInfo((t, i) => r.push(t, i));"
        "settingObj.getOSVersion(v => r.push(v)); noticeObj.checkIsZoomInstalled(z => r.push(z)); r.join('|')");
    const std::string version = Bundle::mainBundle().infoValue("CFBundleVersion").value_or("");
    // The build, then the system's name and version from os-release, unquoted, in parentheses.
    EXPECT_THAT(answers, testing::MatchesRegex(std::string(kTitle) + "\\|" + s_server->url("orgs/acme/icon.png") + "\\|" +
                                                version + "\\([^|\"'\\\\]+ [0-9.]+\\)\\|true"));

    // Declined: nothing happens, and the script goes on only after the answer.
    m_dialogs.answerAlert(1);
    m_dialogs.answerAlert(1);
    m_dialogs.answerAlert(0);
    EXPECT_EQ(run("var s = []; navigateObj.exitApplication(); s.push(1); noticeObj.navigateToLogoutPage(); s.push(2);"
                  "s.join()"),
              "1,2");
    EXPECT_THAT(receivedCalls(), Not(HasSubstr("parlorMain.logout()")));
    run("settingObj.navigateToLogoutPage()");
    EXPECT_TRUE(pageReceives("parlorMain.logout()"));
    EXPECT_EQ(m_dialogs.alerts(), (std::vector<std::string>{localizedString("m749"), localizedString("m346"),
                                                             localizedString("m346")}));
}

TEST_F(WebHostTest, WindowsOpenedInARowShareOnePopupWhoseSubframeHasTheBridgeRefusingMalformedCalls) {
    Q7ZAppSettingConfigSingleton::getInstance().setIsDesktopNotifications(true);
    // Two windows opened in a row share one popup, which shows the second: the web app's page,
    // which holds a subframe.
    run("window.open('" + s_server->url("samples/sample.html") + "')");
    run("window.open(location.href)");
    WebKitWebView* popup = nullptr;
    const auto inFrame = [&](const std::string& script) {
        return run("frames[0].eval(" + PageScript::stringLiteral(script) + ")", popup);
    };
    ASSERT_TRUE(pumpUntil([&] {
        popup = shownPopupViews().empty() ? nullptr : shownPopupViews().front();
        return popup && inFrame("typeof noticeObj") == "object";
    }));
    pumpFor(200ms);
    EXPECT_EQ(shownPopupViews(), std::vector{popup});
    EXPECT_EQ(addressOf(popup), addressOf(m_view));
    m_dialogs.answerTextInput(0, "page dialog");
    const std::pair<std::string, std::string> checks[] = {
        {"Object.keys(navigateObj).sort().join()",
         "changeBadge,checkIsZoomInstalled,exitApplication,getEnterpriseInfo,getOSVersion,navigateToLogoutPage,"
         "noticeEvent,openSettingWindow,showIMNotice,showInviteNotice,showNotice"},
        {"navigateObj === settingObj && settingObj === noticeObj && Object.isFrozen(noticeObj)", "true"},
        {"var got; settingObj.getEnterpriseInfo((...values) => got = values); got[0]", kTitle},
        {"noticeObj.changeBadge(4)", "undefined"},
        {"prompt('Your name?')", "page dialog"},
    };
    for (const auto& [script, expected] : checks) EXPECT_EQ(inFrame(script), expected) << script;

    const std::size_t notices = daemonCalls("Notify");
    for (const char* call : {R"(not json)", R"({"0":"noticeEvent"})", R"([])", R"([7])", R"(["noSuchOperation"])",
                             R"(["showNotice"])", R"(["noticeEvent","extra"])", R"(["showNotice",{"Name":1}])",
                             R"(["changeBadge","5"])", R"(["getOSVersion","x"])"}) {
        EXPECT_EQ(inFrame(std::string("prompt('\\u0001bridge:") + call + "')"), "null") << call;
    }
    pumpFor(200ms);
    EXPECT_EQ(s_application->launcherEntry()->count(), 4);
    EXPECT_EQ(daemonCalls("Notify"), notices);
    EXPECT_EQ(m_dialogs.alerts(), std::vector<std::string>{"Your name?"});
    run("window.close()", popup);
    EXPECT_TRUE(pumpUntil([] { return shownPopupViews().empty(); }));
}

TEST_F(WebHostTest, SettingsWindowOpensOnceAboveTheMainWindowAndALanguageChangeTellsThePageThenRestarts) {
    const auto settingWindows = [] {
        auto windows = Gtk::Window::list_toplevels();
        std::erase_if(windows, [](auto* window) { return !dynamic_cast<Q7ZSettingWindow*>(window) || !window->get_visible(); });
        return windows;
    };
    run("settingObj.openSettingWindow(); noticeObj.openSettingWindow()");
    ASSERT_TRUE(pumpUntil([&] { return settingWindows().size() == 1; }));
    pumpFor(100ms);
    ASSERT_EQ(settingWindows().size(), 1u);
    auto& window = dynamic_cast<Q7ZSettingWindow&>(*settingWindows().front());
    EXPECT_EQ(window.get_transient_for(), s_application->window());

    Q7ZAppSettingConfigSingleton::getInstance().setLanguage("zh-TW");
    m_host->settingWindowWillCloseByChangeLanguage(window);
    EXPECT_TRUE(pageReceives("parlorMain.setSessionLocale('zh-TW')"));
    EXPECT_TRUE(settingWindows().empty());
    EXPECT_TRUE(s_application->isRestart());
    s_application->setIsRestart(false);
}

TEST_F(WebHostTest, NoticesReachTheDaemonOnlyWhenEnabledAndAClickRunsTheirPageCallAndWithdrawsThem) {
    const struct { const char* operation; const char* text; const char* titleAndBody; const char* pageCall; } rows[] = {
        {"showNotice", R"({"Name":"O'Neil \"x\" 中文","Content":"Hi","Url":""})", "O'Neil \"x\" 中文|Hi",
         "parlorMain.openNoticeLog()"},
        {"showIMNotice", R"({"Name":"Ann","Content":"Hi","ChatRoomName":"Sales","ChannelType":1,"ID":"4'2"})",
         "Sales(Ann)|Hi", R"(parlorMain.initMessageList(1,'','4'2'))"},
        {"showInviteNotice", R"({"Name":"Bob","Content":"Join"})", "Bob|Join", "parlorMain.openInviteLog()"},
    };
    const auto showAll = [&] {
        for (const auto& row : rows)
            run(std::string("noticeObj.") + row.operation + "(" + PageScript::stringLiteral(row.text) + ")");
    };
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    const std::size_t before = daemonCalls("Notify");
    settings.setIsDesktopNotifications(false);
    showAll();
    pumpFor(200ms);
    EXPECT_EQ(daemonCalls("Notify"), before);

    settings.setIsDesktopNotifications(true);
    showAll();
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == before + 3; }));
    const auto calls = s_daemon->methodCalls("Notify");
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(argumentText(calls[before + i], 3) + "|" + argumentText(calls[before + i], 4), rows[i].titleAndBody);
        // The mock numbers notifications from 1 in the order they arrive.
        const std::size_t id = before + i + 1;
        const std::size_t closedBefore = daemonCalls("CloseNotification");
        GVariant* click = g_variant_new_parsed("[<%u>, <'default'>]", guint32(id));
        ASSERT_TRUE(s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us", click));
        EXPECT_TRUE(pageReceives(rows[i].pageCall)) << rows[i].operation;
        std::vector<GVariantPtr> closed;
        ASSERT_TRUE(pumpUntil([&] {
            return (closed = s_daemon->methodCalls("CloseNotification")).size() == closedBefore + 1;
        }));
        EXPECT_EQ(argumentText(closed.back(), 0), std::to_string(id)) << "another notification withdrawn";
    }
}

TEST_F(WebHostTest, BadgeFollowsThePagesNumberAndAMissingSoundFileIsForgottenAndSaved) {
    const std::pair<const char*, std::int64_t> rows[] = {{"5", 5}, {"0", 0}, {"7", 7}, {"-3", 0}, {"9", 9}, {"'5'", 0}};
    for (const auto& [argument, count] : rows) {
        run(std::string("noticeObj.changeBadge(") + argument + ")");
        EXPECT_EQ(s_application->launcherEntry()->count(), count) << argument;
    }

    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    const std::string sound = processHome().path() + "/chime.wav";
    settings.setIsNotificationSound(true);
    settings.setIsCustomNotificationSound(true);
    settings.setCustomNotificationSoundPath(sound);
    ASSERT_TRUE(settings.saveConfig());
    const std::string settingsFile = processHome().documents() + "/Q7ZAppSettingConfig.plist";
    ASSERT_THAT(readFileText(settingsFile), HasSubstr(sound));
    run("noticeObj.noticeEvent()");
    EXPECT_EQ(settings.customNotificationSoundPath(), "");
    EXPECT_THAT(readFileText(settingsFile), Not(HasSubstr(sound)));
}

// Each row starts on the login page: the popup's address after the action ("" for none), the
// address handed to the desktop and whether the page is left. Downloads are the downloads
// test's, every decision's detail the policy's own test's.
TEST_F(WebHostTest, NavigationsNewWindowsAndResponsesAreDecidedAsThePolicySays) {
    const std::string login = webkit_web_view_get_uri(m_view);
    const std::string same = s_server->url("samples/sample.html"), xml = s_server->url("samples/sample.xml");
    const std::string other = "http://localhost:" + std::to_string(s_server->port()) + "/samples/sample.html";
    const auto newWindowLink = [](const std::string& url) {
        return "var a = document.createElement('a'); a.href = '" + url + "'; a.target = '_blank';"
               "document.body.append(a); a.click()";
    };
    const struct { std::string action, window, desktopScheme, desktop; bool leaves; } rows[] = {
        {newWindowLink(same), same, "", "", false},
        {newWindowLink(other), "", "http", other, false},
        {newWindowLink("velloq-test:run"), "", "", "", false},
        // A window the page opens by script is the page's own, whatever its host.
        {"window.open('" + other + "')", other, "", "", false},
        {"location.href = 'zoommtg://zoom.us/join?c=1'", "", "zoommtg", "zoommtg://zoom.us/join?c=1", false},
        {"location.href = '" + xml + "'", "", "", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        webkit_web_view_load_uri(m_view, login.c_str());
        ASSERT_TRUE(pageIsReady());
        run("window.rowMark = 1");
        run(row.action);
        if (!row.desktop.empty()) {
            EXPECT_TRUE(pumpUntil([&] { return openedAddress(row.desktopScheme) == row.desktop; }));
        }
        if (row.window.empty()) {
            pumpFor(300ms);
            EXPECT_TRUE(shownPopupViews().empty());
        } else {
            std::vector<WebKitWebView*> popups;
            ASSERT_TRUE(pumpUntil([&] {
                return (popups = shownPopupViews()).size() == 1 && addressOf(popups[0]) == row.window;
            }));
            WebKitWebView* popup = popups[0];
            EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(popup)))),
                         s_application->window()->get_title().c_str());
            // A meeting link in the popup goes to the desktop and closes the popup.
            const std::string meeting = "zoommtg://zoom.us/join?c=" + std::to_string(&row - rows);
            run("location.href = '" + meeting + "'", popup);
            EXPECT_TRUE(pumpUntil([&] { return shownPopupViews().empty() && openedAddress("zoommtg") == meeting; }));
        }
        if (row.leaves) {
            EXPECT_TRUE(pumpUntil([&] { return addressOf(m_view) == xml; }));
        } else {
            pumpFor(200ms);
            EXPECT_EQ(run("typeof window.rowMark"), "number") << "the page was left";
        }
    }
    EXPECT_EQ(openedAddress("velloq-test"), "") << "an address of another scheme reached the desktop";
    EXPECT_TRUE(s_application->window()->get_visible());

    // No back-forward list: going back to the previous page goes nowhere.
    run("history.back()");
    pumpFor(300ms);
    EXPECT_EQ(addressOf(m_view), xml);
}

TEST_F(WebHostTest, ReloadReloadsThePageAndTheForegroundStateReachesIt) {
    run("window.reloadMark = 1");
    s_application->window()->activate_action(Q7ZMainWindow::kReloadActionName);
    ASSERT_TRUE(pumpUntil([&] { return run("typeof window.reloadMark") == "undefined"; }));
    ASSERT_TRUE(pageIsReady());

    NotificationCenter::defaultCenter().post(kWindowsForegroundNotification, "false");
    EXPECT_TRUE(pageReceives("parlorMain.setActiveForm(false)"));
    NotificationCenter::defaultCenter().post(kWindowsForegroundNotification, "true");
    EXPECT_TRUE(pageReceives("parlorMain.setActiveForm(true)"));
}

}  // namespace
