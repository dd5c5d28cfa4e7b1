// The web host in-process, hosting the demo server's sample web app (see WebHostFixture). The
// test drives the page by script, as the web app would, and watches what reaches the page (its
// log of received calls), the notification daemon (python-dbusmock), the launcher entry, the
// settings store and the handlers registered in the test's home for the addresses the desktop
// is asked to open.

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

class WebHostTest : public WebHostFixture {
protected:
    static void SetUpTestSuite() {
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
        "settingObj.getOSVersion(v => r.push(v)); noticeObj.checkIsZoomInstalled(z => r.push(z)); JSON.stringify(r)");
    const std::string version = Bundle::mainBundle().infoValue("CFBundleVersion").value_or("");
    // The build, then the system's name and version from os-release, unquoted, in parentheses.
    EXPECT_THAT(answers, testing::MatchesRegex("\\[\"Acme 'Chat'\",\"" + s_server->url("orgs/acme/icon.png") + "\",\"" +
                                                version + "\\([^\"'\\\\]+ [0-9.]+\\)\",\"true\"\\]"));

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
    EXPECT_EQ(run("typeof navigateObj.reloadWebView + typeof navigateObj.evaluateScript"), "undefinedundefined");
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
    struct Row {
        const char* operation;
        const char* text;
        const char* title;
        const char* pageCall;
    };
    const Row rows[] = {
        {"showNotice", R"({"Name":"Ann","Content":"Hi","Url":""})", "Ann", "parlorMain.openNoticeLog()"},
        {"showIMNotice", R"({"Name":"Ann","Content":"Hi","ChatRoomName":"Sales","ChannelType":1,"ID":"4'2"})",
         "Sales(Ann)", R"(parlorMain.initMessageList(1,'','4'2'))"},
        {"showInviteNotice", R"({"Name":"Bob","Content":"Join"})", "Bob", "parlorMain.openInviteLog()"},
    };
    const auto showAll = [&] {
        for (const Row& row : rows)
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
        GVariantPtr title(g_variant_get_child_value(calls[before + i].get(), 3));
        GVariantPtr text(g_variant_get_variant(title.get()));
        EXPECT_STREQ(g_variant_get_string(text.get(), nullptr), rows[i].title);
        // The mock numbers notifications from 1 in the order they arrive.
        const guint32 id = before + i + 1;
        const std::size_t closed = daemonCalls("CloseNotification");
        ASSERT_TRUE(s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us", g_variant_new_parsed("[<%u>, <'default'>]", id)));
        EXPECT_TRUE(pageReceives(rows[i].pageCall)) << rows[i].operation;
        EXPECT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 1; }));
    }
}

TEST_F(WebHostTest, BadgeFollowsThePagesNumberAndAMissingSoundFileIsForgottenAndSaved) {
    struct Row {
        const char* argument;
        std::int64_t count;
    };
    for (const Row& row : {Row{"5", 5}, Row{"0", 0}, Row{"7", 7}, Row{"-3", 0}, Row{"9", 9}, Row{"'5'", 0}}) {
        run(std::string("noticeObj.changeBadge(") + row.argument + ")");
        EXPECT_EQ(s_application->launcherEntry()->count(), row.count) << row.argument;
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

// Each row starts on the login page. "window" names the popup's address after the action, or
// "" for no popup; "desktop" the address handed to the desktop; "page" the main page's
// address after it ("" for the login page still shown, not left).
TEST_F(WebHostTest, NavigationsNewWindowsAndResponsesAreDecidedAsThePolicySays) {
    const std::string login = webkit_web_view_get_uri(m_view);
    const std::string same = s_server->url("samples/sample.html");
    const std::string other = "http://localhost:" + std::to_string(s_server->port()) + "/samples/sample.html";
    struct Row {
        std::string action;
        std::string window;
        std::string desktopScheme;
        std::string desktop;
        std::string page;
    };
    // A link that opens a new window, clicked.
    const auto newWindowLink = [](const std::string& url) {
        return "var a = document.createElement('a'); a.href = '" + url + "'; a.target = '_blank';"
               "document.body.append(a); a.click()";
    };
    const Row rows[] = {
        {newWindowLink(same), same, "", "", ""},
        {newWindowLink(other), "", "http", other, ""},
        {newWindowLink("velloq-test:run"), "", "", "", ""},
        // A window the page opens by script is the page's own, whatever its host.
        {"window.open('" + other + "')", other, "", "", ""},
        {"location.href = 'zoommtg://zoom.us/join?c=1'", "", "zoommtg", "zoommtg://zoom.us/join?c=1", ""},
        {"location.href = '" + s_server->url("samples/sample.zip") + "'", "", "", "", ""},
        {"location.href = '" + s_server->url("samples/sample.png") + "'", "", "", "", ""},
        {"location.href = '" + s_server->url("samples/sample.xml") + "'", "", "", "", s_server->url("samples/sample.xml")},
    };
    const auto uriOf = [](WebKitWebView* view) {
        const char* uri = webkit_web_view_get_uri(view);
        return std::string(uri ? uri : "");
    };
    const auto popups = [] {
        auto windows = Gtk::Window::list_toplevels();
        std::erase_if(windows, [](auto* window) {
            return window == s_application->window() || !window->get_visible() || !gtk_bin_get_child(GTK_BIN(window->gobj())) ||
                   !WEBKIT_IS_WEB_VIEW(gtk_bin_get_child(GTK_BIN(window->gobj())));
        });
        return windows;
    };
    for (const Row& row : rows) {
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
            EXPECT_TRUE(popups().empty());
        } else {
            ASSERT_TRUE(pumpUntil([&] { return popups().size() == 1; }));
            auto* popupView = WEBKIT_WEB_VIEW(gtk_bin_get_child(GTK_BIN(popups().front()->gobj())));
            EXPECT_TRUE(pumpUntil([&] { return uriOf(popupView) == row.window; }));
            EXPECT_EQ(popups().front()->get_title(), s_application->window()->get_title());
            // A meeting link in the popup goes to the desktop and closes the popup.
            const std::string meeting = "zoommtg://zoom.us/join?c=" + std::to_string(&row - rows);
            run("location.href = '" + meeting + "'", popupView);
            EXPECT_TRUE(pumpUntil([&] { return popups().empty(); }));
            EXPECT_TRUE(pumpUntil([&] { return openedAddress("zoommtg") == meeting; }));
        }
        if (row.page.empty()) {
            pumpFor(200ms);
            EXPECT_EQ(run("typeof window.rowMark"), "number") << "the page was left";
        } else {
            EXPECT_TRUE(pumpUntil([&] { return uriOf(m_view) == row.page; }));
        }
    }
    EXPECT_EQ(openedAddress("velloq-test"), "") << "an address of another scheme reached the desktop";
    EXPECT_TRUE(s_application->window()->get_visible());

    // No back-forward list: going back to the previous page goes nowhere.
    run("history.back()");
    pumpFor(300ms);
    EXPECT_EQ(uriOf(m_view), s_server->url("samples/sample.xml"));
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
