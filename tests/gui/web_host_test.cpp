// The web host in-process, hosting the demo server's sample web app (see WebHostFixture). The
// test drives the page by script, as the web app would, and watches what reaches the page (its
// log of received calls), the notification daemon (python-dbusmock), the launcher entry, the
// settings store and the handlers registered in the test's home for the addresses the desktop
// is asked to open. Every decision of the web host's rules has its rows in the unit tests; here
// one of each kind proves that the engine gives the facts and carries the decision out. A page
// of another host, in a subframe or a window, reaches none of the program. Reload follows the
// shown screen, and the window's focus reaches the page. The engine's standard features (web
// notifications, calls, context menus, spelling, find, print) are tried as a user would.

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include <giomm/settings.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/menu.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/separatormenuitem.h>
#include <nlohmann/json.hpp>

#include "common/PageScript.h"
#include "downloads/window/Q7ZDownloaderWindow.h"
#include "platform/Bundle.h"
#include "platform/NotificationCenter.h"
#include "settings/Q7ZSettingWindow.h"
#include "support/gui/DbusMock.h"
#include "support/gui/WebHostFixture.h"
#include "web/Q7ZSpellChecking.h"

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kDaemonName = "org.freedesktop.Notifications";

// Argument index of a call the daemon recorded, as text (dbusmock boxes each in a variant).
std::string argumentText(const GVariantPtr& call, gsize index) {
    GVariantPtr value(g_variant_get_variant(GVariantPtr(g_variant_get_child_value(call.get(), index)).get()));
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) return g_variant_get_string(value.get(), nullptr);
    return GCharPtr(g_variant_print(value.get(), FALSE)).get();
}

// A screen other than the web host that answers Reload, counting its reloads and its ends.
class ReloadableScreen : public Q7ZViewController {
public:
    ~ReloadableScreen() override { ++s_destroyed; }
    Gtk::Widget& view() override { return m_view; }
    std::string className() const override { return "ReloadableScreen"; }
    bool respondsToReloadWebView() const override { return true; }
    void reloadWebView() override { ++reloads; }

    int reloads = 0;
    static inline int s_destroyed = 0;

private:
    Gtk::Label m_view{"reloadable"};
};

class WebHostTest : public WebHostFixture {
protected:
    static void SetUpTestSuite() {
        // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
        g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
        WebHostFixture::SetUpTestSuite();
        s_daemon = std::make_unique<DbusMock>(std::vector<std::string>{"--template", "notification_daemon"},
                                              kDaemonName, "/org/freedesktop/Notifications");
    }
    static void TearDownTestSuite() {
        WebHostFixture::TearDownTestSuite();
        s_daemon.reset();
    }
    std::size_t daemonCalls(const char* method) { return s_daemon->methodCalls(method).size(); }
    // The demo server's page at path under another host name: a site that is not the organisation's.
    static std::string otherHost(const std::string& path) {
        return "http://localhost:" + std::to_string(s_server->port()) + "/" + path;
    }

    // The sample page of another host in the popup, opened by the page; null when it did not show.
    WebKitWebView* openOtherHostPopup() {
        const std::string address = otherHost("samples/sample.html");
        run("window.open('" + address + "')");
        std::vector<WebKitWebView*> popups;
        EXPECT_TRUE(pumpUntil([&] {
            return (popups = shownPopupViews()).size() == 1 && addressOf(popups[0]) == address &&
                   !webkit_web_view_is_loading(popups[0]);
        }));
        return popups.size() == 1 ? popups[0] : nullptr;
    }
    void closePopup(WebKitWebView* popup) {
        run("window.close()", popup);
        EXPECT_TRUE(pumpUntil([] { return shownPopupViews().empty(); }));
    }

    // The shown context menu's items, as a right click at the element's centre brings them, by their
    // labels (none when no menu shows). Each returns to the page: the menu is closed, or its item
    // with the label chosen.
    std::vector<std::string> contextMenuAt(const std::string& selector, const std::string& choose = "",
                                           WebKitWebView* view = nullptr) {
        view = view ? view : m_view;
        const std::string centre =
            run("(() => { const r = document.querySelector('" + selector +
                    "').getBoundingClientRect(); return `${r.x + r.width / 2} ${r.y + r.height / 2}`; })()",
                view);
        double x = 0, y = 0;
        std::istringstream(centre) >> x >> y;
        GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);
        press->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(view))));
        press->button.button = GDK_BUTTON_SECONDARY;
        press->button.x = x;
        press->button.y = y;
        press->button.time = GDK_CURRENT_TIME;
        gdk_event_set_device(press, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(GTK_WIDGET(view), press);
        gdk_event_free(press);
        Gtk::Menu* menu = nullptr;
        // The engine shows no menu that would be empty.
        if (!pumpUntil([&] { return (menu = shownMenu()) != nullptr; }, 1s)) return {};
        std::vector<std::string> labels;
        Gtk::MenuItem* chosen = nullptr;
        for (Gtk::Widget* child : menu->get_children()) {
            auto* item = dynamic_cast<Gtk::MenuItem*>(child);
            if (!item || dynamic_cast<Gtk::SeparatorMenuItem*>(item)) continue;
            labels.push_back(item->get_label());
            if (!choose.empty() && labels.back() == choose) chosen = item;
        }
        if (chosen) chosen->activate();
        menu->popdown();
        return labels;
    }

    static Gtk::Menu* shownMenu() {
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
            auto* child = window->get_visible() ? dynamic_cast<Gtk::Menu*>(window->get_child()) : nullptr;
            if (child) return child;
        }
        return nullptr;
    }

    static inline std::unique_ptr<DbusMock> s_daemon;
};

// The bridge is the same frozen object under its three names, with exactly its eleven operations.
TEST_F(WebHostTest, QueriesAnswerThroughTheirCallbackAndConfirmationsHoldTheScriptUntilAnswered) {
    EXPECT_EQ(run("Object.keys(navigateObj).sort().join()"),
              "changeBadge,checkIsZoomInstalled,exitApplication,getEnterpriseInfo,getOSVersion,navigateToLogoutPage,"
              "noticeEvent,openSettingWindow,showIMNotice,showInviteNotice,showNotice");
    EXPECT_EQ(run("navigateObj === settingObj && settingObj === noticeObj && Object.isFrozen(noticeObj)"), "true");
    const std::string answers =
        run("var r = []; navigateObj.getEnterpriseInfo((t, i) => r.push(t, i));"
            "settingObj.getOSVersion(v => r.push(v)); noticeObj.checkIsZoomInstalled(z => r.push(z)); r.join('|')");
    const std::string version = Bundle::mainBundle().infoValue("CFBundleVersion").value_or("");
    // The build, then the system's name and version from os-release, unquoted, in parentheses.
    EXPECT_THAT(answers, testing::MatchesRegex(std::string(kTitle) + "\\|" + s_server->url("orgs/acme/icon.png") +
                                               "\\|" + version + "\\([^|\"'\\\\]+ [0-9.]+\\)\\|true"));

    // Declined: nothing happens. Both were asked by the time the script ended: it waited for them.
    for (const int button : {1, 1, 0}) m_dialogs.answerAlert(button);
    run("navigateObj.exitApplication(); noticeObj.navigateToLogoutPage()");
    EXPECT_EQ(m_dialogs.alerts(), (std::vector<std::string>{localizedString("m749"), localizedString("m346")}));
    EXPECT_EQ(s_screenHost->terminations, 0);
    EXPECT_THAT(receivedCalls(), Not(HasSubstr("parlorMain.logout()")));
    run("settingObj.navigateToLogoutPage()");
    EXPECT_TRUE(pageReceives("parlorMain.logout()"));
    EXPECT_EQ(m_dialogs.alerts().size(), 3u) << "logged out without asking";
}

// The demo server's hostile page tries at load, without a click, every operation of the bridge,
// a guess at its marker, the page's dialogs, a download and a meeting link, and reports what
// it achieved. Shown in the web app's subframe or as its window: from the organisation's host
// all of it works but the meeting link, which needs the user's gesture from any page; from
// another host nothing does.
TEST_F(WebHostTest, OnlyTheOrganisationsFramesAndWindowsReachTheProgram) {
    Q7ZAppSettingConfigSingleton::getInstance().setIsDesktopNotifications(true);
    const std::string organisation = s_server->url("test/hostile.html"), other = otherHost("test/hostile.html");
    const auto downloadedFiles = [] {
        const std::filesystem::directory_iterator files(processHome().path() + "/Downloads");
        return std::distance(begin(files), end(files));
    };
    run("addEventListener('message', (event) => { window.hostileReport = JSON.stringify(event.data.hostileReport); })");
    const struct {
        const char* place;
        std::string url;
        bool isOrganisations;
    } rows[] = {{"frame", other, false},
                {"window", other, false},
                {"frame", organisation, true},
                {"window", organisation, true}};
    for (const auto& [place, url, isOrganisations] : rows) {
        SCOPED_TRACE(std::string(place) + " " + url);
        run("noticeObj.changeBadge(0); window.hostileReport = ''");
        const std::size_t notices = daemonCalls("Notify"), dialogs = m_dialogs.alerts().size();
        const std::size_t meetings = openedAddresses("zoommtg").size();
        const auto files = downloadedFiles();
        if (isOrganisations) {
            for (const int button : {1, 1, 0, 0}) m_dialogs.answerAlert(button);  // logout, quit, alert, confirm
            m_dialogs.answerTextInput(0, "guess");
            m_dialogs.answerTextInput(0, "typed");
        }
        if (place == std::string("frame")) run("document.getElementById('sample-frame').src = '" + url + "'");
        else run("window.open('" + url + "')");
        ASSERT_TRUE(pumpUntil([&] { return !run("window.hostileReport").empty(); }));
        const auto report = nlohmann::json::parse(run("window.hostileReport"));
        EXPECT_EQ(report["names"], isOrganisations ? "navigateObj,settingObj,noticeObj" : "");
        EXPECT_EQ(report["answers"].get<std::string>().starts_with(kTitle), isOrganisations);
        const std::vector<std::string> dialogAnswers{report["guessed"], report["alert"], report["confirm"],
                                                     report["prompt"]};
        const std::vector<std::string> organisationsAnswers{"guess", "undefined", "true", "typed"};
        const std::vector<std::string> refusedAnswers{"null", "undefined", "false", "null"};
        EXPECT_EQ(dialogAnswers, isOrganisations ? organisationsAnswers : refusedAnswers);
        if (isOrganisations)
            EXPECT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notices + 3 && downloadedFiles() > files; }));
        else pumpFor(1s);
        EXPECT_EQ(daemonCalls("Notify") - notices, isOrganisations ? 3u : 0u);
        EXPECT_EQ(downloadedFiles() - files, isOrganisations ? 1 : 0);
        EXPECT_EQ(m_dialogs.alerts().size() - dialogs, isOrganisations ? 6u : 0u);
        EXPECT_EQ(s_screenHost->launcher().count(), isOrganisations ? 77 : 0);
        EXPECT_EQ(openedAddresses("zoommtg").size(), meetings);
        EXPECT_EQ(shown<Q7ZSettingWindow>().size(), isOrganisations ? 1u : 0u);
        for (Q7ZSettingWindow* window : shown<Q7ZSettingWindow>()) m_webHost->settingWindowWillClose(*window);
    }
}

// The restart a language change leads to is proved end to end, from the page's button on.
TEST_F(WebHostTest, SettingsWindowOpensOnceAboveTheMainWindowAndALanguageChangeTellsThePage) {
    run("settingObj.openSettingWindow(); noticeObj.openSettingWindow()");
    pumpFor(200ms);
    ASSERT_EQ(shown<Q7ZSettingWindow>().size(), 1u);
    Q7ZSettingWindow& window = *shown<Q7ZSettingWindow>().front();
    EXPECT_EQ(window.get_transient_for(), &s_screenHost->window());
    Q7ZAppSettingConfigSingleton::getInstance().setLanguage("zh-TW");
    m_webHost->settingWindowWillCloseByChangeLanguage(window);
    EXPECT_TRUE(pageReceives("parlorMain.setSessionLocale('zh-TW')"));
    EXPECT_EQ(s_screenHost->restarts, 1);
}

// Titles and bodies arrive as text: escaped where the daemon reads bodies as markup, as they are
// where it does not. Each kind's click runs its own page call; a finished download's opens it.
TEST_F(WebHostTest, NoticesReachTheDaemonAsTextOnlyWhenEnabledAndAClickRunsTheirPageCallAndWithdrawsThem) {
    const struct {
        const char* operation;
        const char* text;
        const char* titleAndBody;
        const char* pageCall;
    } rows[] = {
        {"showNotice", R"({"Name":"O'Neil \"x\" 中文 a < b","Content":"<b>x</b> & <a href='h'>y</a>","Url":""})",
         "O'Neil \"x\" 中文 a < b|&lt;b&gt;x&lt;/b&gt; &amp; &lt;a href='h'&gt;y&lt;/a&gt;",
         "parlorMain.openNoticeLog()"},
        {"showIMNotice", R"({"Name":"Ann","Content":"Hi","ChatRoomName":"Sales","ChannelType":1,"ID":"4'2"})",
         "Sales(Ann)|Hi", R"(parlorMain.initMessageList(1,'','4'2'))"},
        {"showInviteNotice", R"({"Name":"Bob","Content":"Join"})", "Bob|Join", "parlorMain.openInviteLog()"},
    };
    const std::size_t before = daemonCalls("Notify");
    // Turned off, none of them reaches the daemon: the count below would be off.
    for (const bool enabled : {false, true}) {
        Q7ZAppSettingConfigSingleton::getInstance().setIsDesktopNotifications(enabled);
        for (const auto& row : rows)
            run(std::string("noticeObj.") + row.operation + "(" + PageScript::stringLiteral(row.text) + ")");
    }
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == before + std::size(rows); }));
    const auto calls = s_daemon->methodCalls("Notify");
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(argumentText(calls[before + i], 3) + "|" + argumentText(calls[before + i], 4), rows[i].titleAndBody);
        const guint32 id = before + i + 1;  // the mock numbers notifications from 1 in the order they arrive
        const std::size_t closedBefore = daemonCalls("CloseNotification");
        ASSERT_TRUE(
            s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us", g_variant_new_parsed("[<%u>, <'default'>]", id)));
        EXPECT_TRUE(pageReceives(rows[i].pageCall));
        ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closedBefore + 1; }));
        EXPECT_EQ(argumentText(s_daemon->methodCalls("CloseNotification").back(), 0), std::to_string(id))
            << "another notification withdrawn";
    }

    // A download that finishes while its window is not in front is told; the click opens the file.
    run("location.href = '" + s_server->url("downloads/slow?kib=64&ms=150") + "'");
    pumpFor(200ms);
    s_screenHost->window().present();
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == before + std::size(rows) + 1; }, 10s));
    const auto told = s_daemon->methodCalls("Notify");
    EXPECT_EQ(argumentText(told.back(), 3) + "|" + argumentText(told.back(), 4),
              localizedString("DownloadFinished") + "|slow.bin");
    ASSERT_TRUE(
        s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us",
                             g_variant_new_parsed("[<%u>, <'default'>]", guint32(before + std::size(rows) + 1))));
    EXPECT_TRUE(pumpUntil([] { return openedAddress("file").ends_with("/slow.bin"); }));

    ASSERT_TRUE(s_daemon->addMethod(kDaemonName, "GetCapabilities", "", "ret = ['body']"));
    run("noticeObj.showNotice('{\"Name\":\"a < b\",\"Content\":\"<b>x</b> &amp;\"}')");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == before + std::size(rows) + 2; }));
    EXPECT_EQ(argumentText(s_daemon->methodCalls("Notify").back(), 4), "<b>x</b> &amp;");
}

// The page's own notifications: granted while desktop notifications are on, shown as text,
// replaced by tag, withdrawn by close(), and a click fires the page's click event; signing out
// withdraws every notification still listed. Turned off, a page started afterwards is denied,
// and the running page's notifications are not shown.
TEST_F(WebHostTest, PageNotificationsFollowTheSettingAndReachTheDaemonAsText) {
    EXPECT_EQ(run("Notification.permission"), "granted");
    run("Notification.requestPermission().then(answer => window.answer = answer)");
    EXPECT_TRUE(pumpUntil([&] { return run("window.answer") == "granted"; }));
    const std::size_t notified = daemonCalls("Notify"), closed = daemonCalls("CloseNotification");
    const auto idOf = [&](std::size_t nth) { return std::to_string(notified + nth); };  // numbered from 1
    const auto lastClosed = [&] { return argumentText(s_daemon->methodCalls("CloseNotification").back(), 0); };
    run("new Notification('Ann <b>', {body: 'Lunch at noon', tag: 'lunch'})");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 1; }));
    run("const later = new Notification('Ann', {body: 'At one', tag: 'lunch'}); "
        "later.onclick = () => document.title = 'clicked'");
    ASSERT_TRUE(pumpUntil(
        [&] { return daemonCalls("Notify") == notified + 2 && daemonCalls("CloseNotification") == closed + 1; }));
    EXPECT_EQ(lastClosed(), idOf(1));
    const auto calls = s_daemon->methodCalls("Notify");
    EXPECT_EQ(argumentText(calls[notified], 3) + "|" + argumentText(calls[notified], 4), "Ann <b>|Lunch at noon");
    EXPECT_EQ(argumentText(calls[notified + 1], 4), "At one");
    ASSERT_TRUE(s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us",
                                     g_variant_new_parsed("[<%u>, <'default'>]", guint32(notified + 2))));
    EXPECT_TRUE(pumpUntil([&] { return run("document.title") == "clicked"; }));
    run("const third = new Notification('Bob'); setTimeout(() => third.close(), 300)");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 3; }));
    EXPECT_EQ(lastClosed(), idOf(3));
    // Signing out withdraws what is still listed: a notice of the bridge and one of the page.
    run("noticeObj.showNotice('{\"Name\":\"Ann\",\"Content\":\"Hi\"}'); window.kept = new Notification('Kept')");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 5; }));
    m_dialogs.answerAlert(0);
    run("settingObj.navigateToLogoutPage()");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 5; }));
    const auto withdrawn = s_daemon->methodCalls("CloseNotification");
    EXPECT_THAT((std::vector{argumentText(withdrawn[closed + 3], 0), argumentText(withdrawn[closed + 4], 0)}),
                testing::UnorderedElementsAre(idOf(4), idOf(5)));

    Q7ZAppSettingConfigSingleton::getInstance().setIsDesktopNotifications(false);
    Q7ZWebViewController next(*s_screenHost);
    WebKitWebView* nextView = webViewOf(next);
    ASSERT_TRUE(nextView && pumpUntil([&] { return !webkit_web_view_is_loading(nextView); }));
    // The new page may ask (its Notification.permission is "default"), and is denied without a dialog.
    run("Notification.requestPermission().then(answer => window.answer = answer); "
        "navigator.permissions.query({name: 'notifications'}).then(status => window.state = status.state); 0",
        nextView);
    EXPECT_TRUE(pumpUntil([&] { return run("window.answer + ' ' + window.state", nextView) == "denied denied"; }));
    run("new Notification('Not now')");
    pumpFor(300ms);
    EXPECT_EQ(daemonCalls("Notify"), notified + 5);
    Q7ZAppSettingConfigSingleton::getInstance().setIsDesktopNotifications(true);
}

// The organisation's page asks once per kind of devices for a call, and the answer holds for the
// run; another site is refused without asking. The engine's mock devices stand for a camera and a microphone.
TEST_F(WebHostTest, CallsAskOnceForTheOrganisationsPagesAndOtherSitesAreRefused) {
    const auto call = [this](const char* constraints, WebKitWebView* view) {
        webkit_settings_set_enable_mock_capture_devices(webkit_web_view_get_settings(view), TRUE);
        run(std::string("window.media = ''; navigator.mediaDevices.getUserMedia(") + constraints +
                ").then(s => window.media = s.getTracks().map(t => t.kind).sort().join(), e => window.media = e.name)",
            view);
        std::string answer;
        EXPECT_TRUE(pumpUntil([&] { return !(answer = run("window.media", view)).empty(); })) << constraints;
        return answer;
    };
    const std::string host = *Q7ZOrganisationPages::hostOf(s_server->baseUrl());
    const struct {
        const char* constraints;
        int answer;  // the dialog's button; -1: no dialog
        const char* asked;
        const char* outcome;
    } rows[] = {
        {"{video: true}", 1, "MediaAskCamera", "NotAllowedError"},
        {"{video: true}", -1, "", "NotAllowedError"},
        {"{audio: true, video: true}", 0, "MediaAskCameraAndMicrophone", "audio,video"},
        {"{audio: true, video: true}", -1, "", "audio,video"},
    };
    // Each on a fresh page: the engine's own memory of a page's answers goes with the page.
    const std::string login = addressOf(m_view);
    for (const auto& row : rows) {
        webkit_web_view_load_uri(m_view, login.c_str());
        ASSERT_TRUE(pageIsReady());
        const std::size_t alerts = m_dialogs.alerts().size();
        if (row.answer >= 0) m_dialogs.answerAlert(row.answer);
        EXPECT_EQ(call(row.constraints, m_view), row.outcome) << row.constraints;
        ASSERT_EQ(m_dialogs.alerts().size(), alerts + (row.answer >= 0 ? 1 : 0));
        if (row.answer >= 0) {
            EXPECT_EQ(m_dialogs.alerts().back(), localizedFormat(row.asked, host));
        }
    }

    WebKitWebView* popup = openOtherHostPopup();
    ASSERT_TRUE(popup);
    const std::size_t alerts = m_dialogs.alerts().size();
    EXPECT_EQ(call("{video: true}", popup), "NotAllowedError");
    EXPECT_EQ(m_dialogs.alerts().size(), alerts);
    closePopup(popup);
}

// While the desktop's do-not-disturb is on (GNOME's banners off, or the notification server's
// Inhibited), a notice is still posted but starts no sound and asks for no attention; turned off
// while running, both come back. A chosen sound file that is gone is forgotten when the sound is
// loaded: that is how its start shows here.
TEST_F(WebHostTest, DoNotDisturbSilencesNoticesAndFollowsTheDesktop) {
    constexpr const char* kServer = "org.freedesktop.Notifications";
    auto banners = Gio::Settings::create("org.gnome.desktop.notifications");
    ASSERT_TRUE(s_daemon->addProperty(kServer, "Inhibited", g_variant_new_boolean(FALSE)));
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    settings.setIsNotificationSound(true);
    settings.setIsCustomNotificationSound(true);
    movePointerOutside(s_screenHost->window());
    const struct {
        bool banners, inhibited, quiet;
    } rows[] = {{false, false, true}, {true, true, true}, {true, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "banners " << row.banners << ", inhibited " << row.inhibited);
        banners->set_boolean("show-banners", row.banners);
        ASSERT_TRUE(s_daemon->setProperty(kServer, "Inhibited", g_variant_new_boolean(row.inhibited)));
        pumpFor(200ms);  // the server's PropertiesChanged arrives
        // Each time: other tests' windows come and go on the shared display, and without a window
        // manager the focus may then fall to this one.
        sendFocusChange(s_screenHost->window(), false);
        settings.setCustomNotificationSoundPath(processHome().path() + "/gone.wav");
        const std::size_t notified = daemonCalls("Notify");
        run("noticeObj.noticeEvent(); noticeObj.showNotice('{\"Name\":\"Ann\",\"Content\":\"Hi\"}')");
        EXPECT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 1; }));
        EXPECT_EQ(settings.customNotificationSoundPath().empty(), !row.quiet);
        EXPECT_EQ(s_screenHost->attention()->isRequested(), !row.quiet);
        s_screenHost->attention()->cancel();
    }
}

TEST_F(WebHostTest, BadgeFollowsThePagesNumberAndAMissingSoundFileIsForgottenAndSaved) {
    const std::pair<const char*, std::int64_t> rows[] = {{"5", 5}, {"0", 0}, {"7", 7}, {"-3", 0}, {"9", 9}, {"'5'", 0}};
    for (const auto& [argument, count] : rows) {
        run(std::string("noticeObj.changeBadge(") + argument + ")");
        EXPECT_EQ(s_screenHost->launcher().count(), count) << argument;
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

// The page's own dialogs go through the dialogs and the page gets their answers (a cancelled
// prompt the empty text); a file input gets the chosen files, one or several as it allows, and
// keeps them on cancel.
TEST_F(WebHostTest, PageDialogsAnswerThePageAndFileInputsGetTheChosenFiles) {
    const struct {
        const char* call;
        int button;
        const char* text;
        const char* pageSees;
    } dialogs[] = {
        {"alert('Hello')", 0, nullptr, "undefined"},   {"confirm('Sure?')", 0, nullptr, "true"},
        {"confirm('Sure?')", 1, nullptr, "false"},     {"confirm('Sure?')", -1, nullptr, "false"},
        {"prompt('Name?', 'Ann')", 1, "Bob", R"("")"}, {"prompt('Name?', 'Ann')", -1, "Bob", R"("")"},
    };
    for (const auto& row : dialogs) {
        row.text ? m_dialogs.answerTextInput(row.button, row.text) : m_dialogs.answerAlert(row.button);
        EXPECT_EQ(run(std::string("JSON.stringify(") + row.call + ")"), row.pageSees) << row.call;
    }
    EXPECT_EQ(m_dialogs.alerts(), (std::vector<std::string>{"Hello", "Sure?", "Sure?", "Sure?", "Name?", "Name?"}));

    run("document.body.insertAdjacentHTML('beforeend', '<input id=one type=file><input id=many type=file multiple>')");
    const std::string readme = VELLOQ_SOURCE_DIR "/README.md", lists = VELLOQ_SOURCE_DIR "/CMakeLists.txt";
    const struct {
        const char* input;
        std::optional<std::vector<std::string>> answer;
        const char* files;
    } inputs[] = {
        {"one", std::vector{readme}, "README.md"},
        {"many", std::vector{readme, lists}, "README.md,CMakeLists.txt"},
        {"many", std::nullopt, "README.md,CMakeLists.txt"},
    };
    for (const auto& row : inputs) {
        m_dialogs.answerOpenPanel(row.answer);
        const std::string input = std::string("document.getElementById('") + row.input + "')";
        run(input + ".click()");
        const std::string names = "[..." + input + ".files].map(file => file.name).join()";
        EXPECT_TRUE(pumpUntil([&] { return run(names) == row.files; })) << row.input << ": " << run(names);
        const OpenPanelOptions& asked = m_dialogs.openPanels().back();
        EXPECT_TRUE(asked.canChooseFiles && !asked.canChooseDirectories && asked.allowedExtensions.empty());
        EXPECT_EQ(asked.allowsMultipleSelection, row.input == std::string("many"));
    }
}

// Each row starts on the login page: the popup's address after the action ("" for none), the
// address handed to the desktop and the page the view then shows ("" when the page stays).
// Downloads are the downloads test's, every decision's detail the policy's own test's.
TEST_F(WebHostTest, NavigationsNewWindowsAndResponsesAreDecidedAsThePolicySays) {
    const std::string login = addressOf(m_view), same = s_server->url("samples/sample.html");
    const std::string other = otherHost("samples/sample.html"), xml = s_server->url("samples/sample.xml");
    const auto click = [](const std::string& url, const char* target) {
        return "var a = document.createElement('a'); a.href = '" + url + "'; a.target = '" + target +
               "';"
               "document.body.append(a); a.click()";
    };
    const auto redirectTo = [](const std::string& server, const std::string& url) {
        return server + "test/redirect?to=" + GCharPtr(g_uri_escape_string(url.c_str(), nullptr, FALSE)).get();
    };
    // A sign-in the user starts, passing through another host and back.
    const std::string signIn = redirectTo(s_server->baseUrl(), redirectTo(otherHost(""), same));
    const std::string meeting = "zoommtg://zoom.us/join?c=main";
    const struct {
        std::string action, window, desktop, shows;
    } rows[] = {
        {click(same, "_blank"), same, "", ""},
        {click(other, "_blank"), "", other, ""},
        // Windows the page opens by script are its own, whatever their host; two in a row share
        // one popup, which shows the second.
        {"window.open('" + same + "'); window.open('" + other + "')", other, "", ""},
        {click(other + "?clicked", "_self"), "", other + "?clicked", ""},
        {click(signIn, "_self"), "", "", same},
        // However often the page asks, an address goes out once in two seconds.
        {"var go = () => location.href = '" + meeting + "'; go(); setTimeout(go, 100)", "", meeting, ""},
        {"location.href = '" + xml + "'", "", "", xml},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        webkit_web_view_load_uri(m_view, login.c_str());
        ASSERT_TRUE(pageIsReady());
        run("window.rowMark = 1; " + row.action);
        const std::string scheme = row.desktop.substr(0, row.desktop.find(':'));
        if (!row.desktop.empty()) {
            EXPECT_TRUE(pumpUntil([&] { return openedAddress(scheme) == row.desktop; }));
        }
        std::vector<WebKitWebView*> popups;
        if (!row.window.empty()) {
            ASSERT_TRUE(pumpUntil(
                [&] { return (popups = shownPopupViews()).size() == 1 && addressOf(popups[0]) == row.window; }));
            // A meeting link in the popup goes to the desktop and closes the popup.
            const std::string inPopup = "zoommtg://zoom.us/join?c=" + std::to_string(&row - rows);
            run("location.href = '" + inPopup + "'", popups[0]);
            EXPECT_TRUE(pumpUntil([&] { return shownPopupViews().empty() && openedAddress("zoommtg") == inPopup; }));
        }
        pumpFor(300ms);
        EXPECT_TRUE(shownPopupViews().empty());
        if (!row.desktop.empty()) {
            EXPECT_EQ(std::ranges::count(openedAddresses(scheme), row.desktop), 1);
        }
        if (!row.shows.empty()) {
            EXPECT_TRUE(pumpUntil([&] { return addressOf(m_view) == row.shows; }));
        } else {
            EXPECT_EQ(run("typeof window.rowMark"), "number") << "the page was left";
        }
    }
    run("history.back()");  // no back-forward list: going back goes nowhere
    pumpFor(300ms);
    EXPECT_EQ(addressOf(m_view), xml);
}

// Reload and Downloads reach the shown screen, and a replaced screen lives until the loop is
// idle; the main window coming forward or going back reaches the page.
TEST_F(WebHostTest, ReloadFollowsTheShownScreenAndTheForegroundReachesThePage) {
    Q7ZMainWindow& window = s_screenHost->window();
    auto reload = Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(window.lookup_action(Q7ZMainWindow::kReloadActionName));
    auto downloads =
        Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(window.lookup_action(Q7ZMainWindow::kShowDownloadsActionName));
    ASSERT_TRUE(reload && reload->get_enabled() && downloads && downloads->get_enabled());
    downloads->activate();
    EXPECT_EQ(shown<Q7ZDownloaderWindow>().size(), 1u);
    run("window.reloadMark = 1");
    reload->activate();
    ASSERT_TRUE(pumpUntil([&] { return run("typeof window.reloadMark") == "undefined"; }));
    ASSERT_TRUE(pageIsReady());
    for (const char* foreground : {"true", "false"}) {
        NotificationCenter::defaultCenter().post(kWindowsForegroundNotification, foreground);
        const std::string call = std::string("parlorMain.setActiveForm(") + foreground + ")";
        EXPECT_TRUE(
            pumpUntil([&] { return run("document.querySelector('#calls-log .call-text').textContent") == call; }));
    }

    // The Edit menu's commands reach the page's focused field.
    run("const draft = document.createElement('textarea'); draft.id = 'draft'; draft.value = 'see you'; "
        "document.body.append(draft); draft.focus(); draft.select()");
    const std::pair<const char*, const char*> edits[] = {
        {"cut", ""}, {"undo", "see you"}, {"selectAll", "see you"}, {"copy", "see you"}, {"paste", "see you"}};
    for (const auto& [action, value] : edits) {
        window.activate_action(action);
        EXPECT_TRUE(pumpUntil([&] { return run("document.getElementById('draft').value") == value; })) << action;
    }
    run("draft.setSelectionRange(3, 3)");
    window.activate_action("paste");
    EXPECT_TRUE(pumpUntil([&] { return run("draft.value") == "seesee you you"; }));

    auto owned = std::make_unique<ReloadableScreen>();
    ReloadableScreen& screen = *owned;
    window.setContentViewController(std::move(owned));
    reload->activate();
    EXPECT_EQ(screen.reloads, 1);
    EXPECT_FALSE(downloads->get_enabled());
    const int destroyedBefore = ReloadableScreen::s_destroyed;
    window.setContentViewController(std::make_unique<ReloadableScreen>());
    EXPECT_EQ(ReloadableScreen::s_destroyed, destroyedBefore);
    EXPECT_TRUE(pumpUntil([&] { return ReloadableScreen::s_destroyed == destroyedBefore + 1; }));
}

// View ▸ Zoom steps the main view and the popup alike, as Ctrl with the wheel does, and the next
// web host (after a restart) starts at the level left.
TEST_F(WebHostTest, ZoomStepsEveryPageAndIsRememberedForTheNextStart) {
    run("window.open('" + s_server->url("samples/sample.html") + "')");
    std::vector<WebKitWebView*> popups;
    ASSERT_TRUE(pumpUntil([&] { return !(popups = shownPopupViews()).empty(); }));
    const std::pair<const char*, double> steps[] = {
        {"zoomIn", 1.1}, {"zoomIn", 1.25}, {"zoomOut", 1.1}, {"zoomActualSize", 1.0}, {"zoomOut", 0.9}};
    for (const auto& [action, level] : steps) {
        s_screenHost->window().activate_action(action);
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(m_view), level) << action;
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(popups[0]), level) << action;
    }
    GdkEvent* wheel = gdk_event_new(GDK_SCROLL);
    wheel->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(m_view))));
    wheel->scroll.direction = GDK_SCROLL_UP;
    wheel->scroll.state = GDK_CONTROL_MASK;
    gtk_widget_event(GTK_WIDGET(m_view), wheel);
    gdk_event_free(wheel);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(m_view), 1.0);

    s_screenHost->window().activate_action("zoomIn");
    Q7ZWebViewController next(*s_screenHost);
    ASSERT_TRUE(webViewOf(next));
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(webViewOf(next)), 1.1);
    next.zoom(Q7ZViewController::Zoom::ActualSize);  // the other tests' pages at their own size
}

// A link offers the browser and its address, an image to be copied and saved; a misspelled word
// its suggestions while spelling is checked. Another site's links and images offer nothing.
TEST_F(WebHostTest, LinksImagesAndMisspelledWordsOfferWhatTheOrganisationsPagesMay) {
    const std::string link = "http://example.com/agenda?week=3";
    const std::string addElements = "document.body.insertAdjacentHTML('afterbegin', '<a id=\"ctx-link\" href=\"" +
                                    link + "\">agenda</a> <img id=\"ctx-image\" src=\"" +
                                    s_server->url("orgs/acme/icon.png") +
                                    "\" width=40 height=40>'); document.getElementById('ctx-image').decode()";
    run(addElements);
    const std::string openInBrowser = localizedString("OpenLinkInBrowser");
    EXPECT_THAT(contextMenuAt("#ctx-link", openInBrowser),
                testing::IsSupersetOf({openInBrowser, localizedString("CopyLinkAddress")}));
    EXPECT_TRUE(pumpUntil([&] { return openedAddress("http") == link; }));
    const std::string saveImage = localizedString("SaveImageAs");
    EXPECT_THAT(contextMenuAt("#ctx-image", saveImage),
                testing::IsSupersetOf({localizedString("CopyImage"), saveImage}));
    EXPECT_TRUE(pumpUntil([] { return std::filesystem::exists(processHome().path() + "/Downloads/icon.png"); }));

    // Typed, as the engine checks what the user types (its dictionaries load at the first key);
    // Edit ▸ Check Spelling off, a page no longer is.
    gtk_widget_grab_focus(GTK_WIDGET(m_view));
    sendKeyPress(s_screenHost->window(), GDK_KEY_Shift_L);
    const std::string login = addressOf(m_view);
    for (const bool checked : {true, false}) {
        Q7ZSpellChecking::setEnabled(checked);
        webkit_web_view_load_uri(m_view, login.c_str());
        ASSERT_TRUE(pageIsReady());
        run("document.body.insertAdjacentHTML('afterbegin', '<span id=\"ctx-draft\" contenteditable></span>'); "
            "document.getElementById('ctx-draft').focus(); document.execCommand('insertText', false, 'Helo ')");
        const auto suggested = [&] { return std::ranges::count(contextMenuAt("#ctx-draft"), "Hello") == 1; };
        if (checked) EXPECT_TRUE(pumpUntil(suggested));
        else EXPECT_FALSE(pumpUntil(suggested, 2s));
    }
    Q7ZSpellChecking::setEnabled(true);

    WebKitWebView* popup = openOtherHostPopup();
    ASSERT_TRUE(popup);
    run(addElements, popup);
    for (const char* element : {"#ctx-link", "#ctx-image"}) {
        EXPECT_THAT(contextMenuAt(element, "", popup),
                    testing::AllOf(Not(testing::Contains(openInBrowser)), Not(testing::Contains(saveImage))))
            << element;
    }
    closePopup(popup);
}

// Edit ▸ Find… counts the matches as the user types, steps through them both ways around the
// page, says when there are none, and Escape gives the page its focus back.
TEST_F(WebHostTest, FindCountsAndStepsThroughMatchesAndEscapeReturnsToThePage) {
    run("document.body.insertAdjacentHTML('afterbegin', '<p>Pear, pear and a PEAR. Apples.</p>')");
    s_screenHost->window().activate_action("find");
    Gtk::SearchEntry* entry = nullptr;
    for (Gtk::Widget* widget : widgetTree(m_webHost->view()))
        if (auto* found = dynamic_cast<Gtk::SearchEntry*>(widget)) entry = found;
    ASSERT_TRUE(entry && entry->is_visible() && entry->is_focus());
    EXPECT_EQ(accessibleName(*entry), localizedString("FindInPage"));
    const auto count = [&] { return entry->get_accessible()->get_description(); };
    const auto of = [](int n, int m) {
        return localizedFormat("FindMatchCount", {std::to_string(n), std::to_string(m)});
    };
    entry->set_text("pear");
    EXPECT_TRUE(pumpUntil([&] { return count() == of(1, 3); }));
    const std::pair<guint, std::string> steps[] = {
        {GDK_KEY_Return, of(2, 3)}, {GDK_KEY_Return, of(3, 3)}, {GDK_KEY_Return, of(1, 3)}, {GDK_KEY_Up, of(3, 3)}};
    for (const auto& [key, expected] : steps) {
        if (key == GDK_KEY_Return) entry->activate();
        else g_signal_emit_by_name(entry->gobj(), "previous-match");
        EXPECT_EQ(count(), expected);
    }
    EXPECT_EQ(run("getSelection().toString()"), "PEAR");
    entry->set_text("plum");
    EXPECT_TRUE(pumpUntil([&] { return count() == localizedString("FindNoMatches"); }));
    sendKeyPress(s_screenHost->window(), GDK_KEY_Escape);
    EXPECT_FALSE(entry->is_visible());
    EXPECT_TRUE(gtk_widget_is_focus(GTK_WIDGET(m_view)));
}

// File ▸ Print… and the page's window.print() print through the dialog's choice (here a PDF
// file); a cancelled dialog prints nothing and another site's window.print() shows no dialog.
TEST_F(WebHostTest, PrintGoesThroughTheDialogForTheOrganisationsPagesOnly) {
    g_object_set(gtk_settings_get_default(), "gtk-print-backends", "file", nullptr);
    const auto printTo = [](const std::string& path) {
        PrintChoice choice{Gtk::PrintSettings::create(), Gtk::PageSetup::create()};
        choice.settings->set_printer("Print to File");
        choice.settings->set(GTK_PRINT_SETTINGS_OUTPUT_URI, "file://" + path);
        choice.settings->set(GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
        return choice;
    };
    const std::string menuPdf = processHome().path() + "/menu.pdf", pagePdf = processHome().path() + "/page.pdf";
    const auto printed = [](const std::string& path) {
        return pumpUntil([&] { return readFileText(path).starts_with("%PDF"); }, 10s);
    };
    m_dialogs.answerPrintDialog(printTo(menuPdf));
    s_screenHost->window().activate_action("print");
    EXPECT_TRUE(printed(menuPdf));
    m_dialogs.answerPrintDialog(std::nullopt);
    m_dialogs.answerPrintDialog(printTo(pagePdf));
    run("setTimeout(() => { print(); print(); })");
    EXPECT_TRUE(printed(pagePdf));
    EXPECT_EQ(m_dialogs.alerts().size(), 3u);

    WebKitWebView* popup = openOtherHostPopup();
    ASSERT_TRUE(popup);
    run("setTimeout(() => print())", popup);
    pumpFor(500ms);
    EXPECT_EQ(m_dialogs.alerts().size(), 3u);
    closePopup(popup);
}

}  // namespace
