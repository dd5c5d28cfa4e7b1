// The web host in-process, hosting the demo server's sample web app (the organisation chosen in
// the stores). A small test host stands for the application: a main window, dialogs each test
// answers, a GApplication registered on the private bus (notifications), a launcher entry; the
// restarts and quits it is asked for are only counted. The test drives the page by script, as
// the web app would, and watches what reaches the page (its log of received calls), the
// notification daemon (python-dbusmock), the launcher entry, the settings store and the
// handlers registered in the test's home for the addresses the desktop is asked to open (files
// named after their scheme). Every decision of the web host's rules has its rows in the unit
// tests; here one of each kind proves that the engine gives the facts and carries the decision
// out. A page of another host, in a subframe or a window, reaches none of the program. Reload
// follows the shown screen, and the window's focus reaches the page. The engine's standard
// features (web notifications, calls, context menus, spelling, find, print, downloads) are tried
// as a user would.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <giomm/settings.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/menu.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/separatormenuitem.h>
#include <nlohmann/json.hpp>

#include "app/Q7ZMainWindow.h"
#include "common/PageScript.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "controls/Q7ZScreenHost.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/window/Q7ZDownloaderWindow.h"
#include "platform/Bundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Paths.h"
#include "settings/Q7ZSettingWindow.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WidgetEvents.h"
#include "web/Q7ZSpellChecking.h"
#include "web/Q7ZWebViewController.h"

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::Not;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr const char* kDaemonName = "org.freedesktop.Notifications";

// Argument index of a call the daemon recorded, as text (dbusmock boxes each in a variant).
std::string argumentText(const GVariantPtr& call, gsize index) {
    GVariantPtr value(g_variant_get_variant(GVariantPtr(g_variant_get_child_value(call.get(), index)).get()));
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) return g_variant_get_string(value.get(), nullptr);
    return GCharPtr(g_variant_print(value.get(), FALSE)).get();
}

// Stands for the application; the restarts and quits it is asked for are only counted.
struct TestScreenHost : Q7ZScreenHost {
    static constexpr const char* kApplicationId = "app.velloq.WebHostTest";

    Gtk::Window& mainWindow() override { return window; }
    Dialogs& dialogs() override { return *answering; }
    Glib::RefPtr<Gio::Application> notifyingApplication() override { return application; }
    LauncherEntry* launcherEntry() override { return &launcher; }
    Attention* attention() override { return &attentionRequest; }
    void showScreen(Screen) override {}
    void terminate() override { ++terminations; }
    void requestRestart() override { ++restarts; }

    Q7ZMainWindow window;
    ScriptedDialogs* answering = nullptr;  // the running test's
    Glib::RefPtr<Gio::Application> application = Gio::Application::create(kApplicationId);
    LauncherEntry launcher{kApplicationId};
    Attention attentionRequest{window, &launcher};
    int terminations = 0, restarts = 0;
};

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

class WebHostTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // No portal and no GNOME Shell here, but say so: the choice must not depend on the machine.
        g_setenv("GNOTIFICATION_BACKEND", "freedesktop", TRUE);
        registerAddressHandlers();
        GtkTestEnvironment::ensure();
        s_server = std::make_unique<DemoServer>();
        auto& remote = Q7ZRemoteConfigSingleton::getInstance();
        remote.setServerListJsonString(R"([{"Sequence":0,"ServerName":"Acme","Url":")" + s_server->url("orgs/acme/") +
                                       R"(","IsCnUrl":0}])");
        remote.setRemoteTitle(kTitle);
        remote.setRemoteTitleIcon(s_server->url("orgs/acme/icon.png"));
        settings().setServerSequence(0);
        fs::create_directories(Paths::downloadsDirectory());  // the default folder, as on a desktop
        s_screenHost = std::make_unique<TestScreenHost>();
        ASSERT_TRUE(s_screenHost->notifyingApplication()->register_application());
        s_screenHost->window.show();
        s_daemon = std::make_unique<DbusMock>(std::vector<std::string>{"--template", "notification_daemon"},
                                              kDaemonName, "/org/freedesktop/Notifications");
    }
    static void TearDownTestSuite() {
        s_screenHost.reset();
        s_server.reset();
        s_daemon.reset();
    }

    void SetUp() override {
        s_screenHost->answering = &m_dialogs;
        auto controller = std::make_unique<Q7ZWebViewController>(*s_screenHost);
        m_webHost = controller.get();
        s_screenHost->window.setContentViewController(std::move(controller));
        ASSERT_TRUE((m_view = webViewOf(*m_webHost)));
        ASSERT_TRUE(pageIsReady());
        m_login = addressOf(m_view);
        for (const auto& record : registry().getAllDownloadDataArray())
            registry().removeDownloadDataWithRequestID(record->requestID());
        // Responses that are not pages are downloaded: into a folder of the test's own.
        m_folder = processHome().path() + "/downloads-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_folder);
        settings().setDownloadFileSavePath(m_folder);
    }

    static WebKitWebView* webViewOf(Q7ZWebViewController& webHost) {
        for (Gtk::Widget* widget : widgetTree(webHost.view()))
            if (WEBKIT_IS_WEB_VIEW(widget->gobj())) return WEBKIT_WEB_VIEW(widget->gobj());
        return nullptr;
    }

    // A fresh login page: the engine's memory of what the page was answered goes with the page.
    bool reloadLoginPage() {
        webkit_web_view_load_uri(m_view, m_login.c_str());
        return pageIsReady();
    }
    bool pageIsReady() {
        return pumpUntil(
            [this] { return !webkit_web_view_is_loading(m_view) && run("typeof parlorMain") == "object"; });
    }
    // The script's value as text, or the message of the exception it threw.
    std::string run(const std::string& script, WebKitWebView* view = nullptr) {
        view = view ? view : m_view;
        GObjectPtr<GAsyncResult> outcome;
        webkit_web_view_evaluate_javascript(
            view, script.c_str(), -1, nullptr, nullptr, nullptr,
            [](GObject*, GAsyncResult* result, gpointer kept) {
                static_cast<GObjectPtr<GAsyncResult>*>(kept)->reset(G_ASYNC_RESULT(g_object_ref(result)));
            },
            &outcome);
        EXPECT_TRUE(pumpUntil([&] { return outcome != nullptr; })) << script;
        if (!outcome) return "no answer";
        GError* error = nullptr;
        GObjectPtr<JSCValue> value(webkit_web_view_evaluate_javascript_finish(view, outcome.get(), &error));
        const GErrorPtr failure(error);
        return value ? GCharPtr(jsc_value_to_string(value.get())).get() : failure->message;
    }
    // The sample web app's log of the calls it received, newest first.
    std::string receivedCalls() { return run("document.getElementById('calls-log').textContent"); }
    bool pageReceives(const std::string& call) {
        return pumpUntil([&] { return receivedCalls().find(call) != std::string::npos; });
    }
    // The views of the popup windows shown.
    static std::vector<WebKitWebView*> shownPopupViews() {
        std::vector<WebKitWebView*> views;
        for (Gtk::Window* window : shown<Gtk::Window>())
            if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(window->gobj()));
                window != &s_screenHost->window && WEBKIT_IS_WEB_VIEW(child))
                views.push_back(WEBKIT_WEB_VIEW(child));
        return views;
    }
    // The popup the page opens at the address, once loaded there; null when it did not show.
    WebKitWebView* openPopup(const std::string& address) {
        run("window.open('" + address + "')");
        std::vector<WebKitWebView*> popups;
        EXPECT_TRUE(pumpUntil([&] {
            return (popups = shownPopupViews()).size() == 1 && addressOf(popups[0]) == address &&
                   !webkit_web_view_is_loading(popups[0]);
        })) << address;
        return popups.size() == 1 ? popups[0] : nullptr;
    }
    // The shown top-level windows of that class.
    template <class Window>
    static std::vector<Window*> shown() {
        std::vector<Window*> windows;
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* found = dynamic_cast<Window*>(window); found && found->get_visible()) windows.push_back(found);
        return windows;
    }
    static std::string addressOf(WebKitWebView* view) {
        const char* uri = webkit_web_view_get_uri(view);
        return uri ? uri : "";
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZDownloadDataSingleton& registry() { return Q7ZDownloadDataSingleton::getInstance(); }
    // The newest record once there are count of them; a blank record when there are not.
    std::shared_ptr<Q7ZDownloadData> newestOf(std::size_t count) {
        EXPECT_TRUE(pumpUntil([&] { return registry().getAllDownloadDataArray().size() == count; }, 10s)) << count;
        const auto records = registry().getAllDownloadDataArray();
        return records.size() == count ? records.front() : std::make_shared<Q7ZDownloadData>();
    }
    // The same, once it has ended as expected.
    std::shared_ptr<Q7ZDownloadData> endedOf(std::size_t count,
                                             Q7ZDownloadStatus expected = Q7ZDownloadStatus::Finished) {
        auto record = newestOf(count);
        EXPECT_TRUE(pumpUntil([&] { return record->currentstatus() == expected; }, 10s)) << count;
        return record;
    }
    std::vector<std::string> filesInFolder() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) names.push_back(entry.path().filename());
        std::ranges::sort(names);
        return names;
    }
    // Clicks the downloads window's button of that accessible name, as a user would.
    bool clickInDownloadsWindow(const std::string& name) {
        drainPending();
        for (Q7ZDownloaderWindow* window : shown<Q7ZDownloaderWindow>())
            for (Gtk::Widget* widget : widgetTree(*window))
                if (auto* button = dynamic_cast<Gtk::Button*>(widget);
                    button && button->is_visible() && accessibleName(*button) == name)
                    return button->clicked(), true;
        return false;
    }

    std::size_t daemonCalls(const char* method) { return s_daemon->methodCalls(method).size(); }
    // The daemon's notification number n (the mock numbers them from 1 as they come) as "title|body".
    std::string notice(std::size_t n) {
        const auto calls = s_daemon->methodCalls("Notify");
        return n <= calls.size() ? argumentText(calls[n - 1], 3) + "|" + argumentText(calls[n - 1], 4) : "";
    }
    void clickNotice(std::size_t n) {
        ASSERT_TRUE(s_daemon->emitSignal(kDaemonName, "ActionInvoked", "us",
                                         g_variant_new_parsed("[<%u>, <'default'>]", guint32(n))));
    }
    std::string lastWithdrawn() { return argumentText(s_daemon->methodCalls("CloseNotification").back(), 0); }
    // The demo server's page at path under another host name: a site that is not the organisation's.
    static std::string otherHost(const std::string& path) {
        return "http://localhost:" + std::to_string(s_server->port()) + "/" + path;
    }

    // A link to another site and the organisation's icon as an image, at the top of the page.
    static std::string addLinkAndImage() {
        return "document.body.insertAdjacentHTML('afterbegin', '<a id=\"ctx-link\" href=\"" + std::string(kLink) +
               "\">agenda</a> <img id=\"ctx-image\" src=\"" + s_server->url("orgs/acme/icon.png") +
               "\" width=40 height=40>'); document.getElementById('ctx-image').decode()";
    }
    // What the page's request for devices gets: the kinds of the tracks, or the error's name.
    std::string mediaAnswer(const char* constraints, WebKitWebView* view = nullptr) {
        view = view ? view : m_view;
        webkit_settings_set_enable_mock_capture_devices(webkit_web_view_get_settings(view), TRUE);
        run(std::string("window.media = ''; navigator.mediaDevices.getUserMedia(") + constraints +
                ").then(s => window.media = s.getTracks().map(t => t.kind).sort().join(), e => window.media = e.name)",
            view);
        std::string answer;
        EXPECT_TRUE(pumpUntil([&] { return !(answer = run("window.media", view)).empty(); })) << constraints;
        return answer;
    }

    // The shown context menu's items, as a right click at the element's centre brings them, by their
    // labels (none when no menu shows). Each returns to the page: the menu is closed, or its item
    // with the label chosen.
    std::vector<std::string> contextMenuAt(const std::string& selector, const std::string& choose = "",
                                           WebKitWebView* view = nullptr) {
        view = view ? view : m_view;
        const auto box = nlohmann::json::parse(
            run("JSON.stringify(document.querySelector('" + selector + "').getBoundingClientRect())", view));
        GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);  // zeroed: its time is GDK_CURRENT_TIME
        press->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(view))));
        press->button.button = GDK_BUTTON_SECONDARY;
        press->button.x = box["x"].get<double>() + box["width"].get<double>() / 2;
        press->button.y = box["y"].get<double>() + box["height"].get<double>() / 2;
        gdk_event_set_device(press, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(GTK_WIDGET(view), press);
        gdk_event_free(press);
        Gtk::Menu* menu = nullptr;
        const auto shownMenu = [&] {
            for (Gtk::Window* window : shown<Gtk::Window>())
                menu = menu ? menu : dynamic_cast<Gtk::Menu*>(window->get_child());
            return menu != nullptr;
        };
        // The engine shows no menu that would be empty.
        if (!pumpUntil(shownMenu, 1s)) return {};
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

    static constexpr const char* kLink = "http://example.com/agenda?week=3";
    // Quotes of both kinds and CJK, to travel intact to the page.
    static constexpr const char* kTitle = "O'Neil \"Chat\" 中文";
    static inline std::unique_ptr<DemoServer> s_server;
    static inline std::unique_ptr<TestScreenHost> s_screenHost;
    static inline std::unique_ptr<DbusMock> s_daemon;
    ScriptedDialogs m_dialogs;
    Q7ZWebViewController* m_webHost = nullptr;
    WebKitWebView* m_view = nullptr;
    std::string m_login, m_folder;
};

// The bridge is the same frozen object under its three names, with exactly its eleven operations.
// The badge shows the page's number, and none for a negative number or text. The settings
// window opens once, above the main window; the restart a language change leads to is proved
// end to end, from the page's button on.
TEST_F(WebHostTest, TheBridgeAnswersShowsTheBadgeOpensOneSettingsWindowAndConfirmsBeforeActing) {
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
    const std::pair<const char*, std::int64_t> badges[] = {{"5", 5},  {"0", 0}, {"7", 7},
                                                           {"-3", 0}, {"9", 9}, {"'5'", 0}};
    for (const auto& [argument, count] : badges) {
        run(std::string("noticeObj.changeBadge(") + argument + ")");
        EXPECT_EQ(s_screenHost->launcher.count(), count) << argument;
    }
    run("settingObj.openSettingWindow(); noticeObj.openSettingWindow()");
    pumpFor(200ms);
    ASSERT_EQ(shown<Q7ZSettingWindow>().size(), 1u);
    Q7ZSettingWindow& window = *shown<Q7ZSettingWindow>().front();
    EXPECT_EQ(window.get_transient_for(), &s_screenHost->window);
    settings().setLanguage("zh-TW");
    m_webHost->settingWindowWillCloseByChangeLanguage(window);
    EXPECT_TRUE(pageReceives("parlorMain.setSessionLocale('zh-TW')"));
    EXPECT_EQ(s_screenHost->restarts, 1);

    // Declined: nothing happens. Both were asked by the time the script ended: it waited for them.
    for (const int button : {1, 1, 0}) m_dialogs.answerAlert(button);
    run("navigateObj.exitApplication(); noticeObj.navigateToLogoutPage()");
    EXPECT_EQ(m_dialogs.alerts(), (Strings{localizedString("m749"), localizedString("m346")}));
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
    settings().setIsDesktopNotifications(true);
    const std::string organisation = s_server->url("test/hostile.html"), other = otherHost("test/hostile.html");
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
        const std::size_t files = filesInFolder().size();
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
        const Strings dialogAnswers{report["guessed"], report["alert"], report["confirm"], report["prompt"]};
        EXPECT_EQ(dialogAnswers, (isOrganisations ? Strings{"guess", "undefined", "true", "typed"}
                                                  : Strings{"null", "undefined", "false", "null"}));
        if (isOrganisations)
            EXPECT_TRUE(
                pumpUntil([&] { return daemonCalls("Notify") == notices + 3 && filesInFolder().size() > files; }));
        else pumpFor(1s);
        EXPECT_EQ(daemonCalls("Notify") - notices, isOrganisations ? 3u : 0u);
        EXPECT_EQ(filesInFolder().size() - files, isOrganisations ? 1u : 0u);
        EXPECT_EQ(m_dialogs.alerts().size() - dialogs, isOrganisations ? 6u : 0u);
        EXPECT_EQ(s_screenHost->launcher.count(), isOrganisations ? 77 : 0);
        EXPECT_EQ(openedAddresses("zoommtg").size(), meetings);
        EXPECT_EQ(shown<Q7ZSettingWindow>().size(), isOrganisations ? 1u : 0u);
        for (Q7ZSettingWindow* window : shown<Q7ZSettingWindow>()) m_webHost->settingWindowWillClose(*window);
    }
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
        settings().setIsDesktopNotifications(enabled);
        for (const auto& row : rows)
            run(std::string("noticeObj.") + row.operation + "(" + PageScript::stringLiteral(row.text) + ")");
    }
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == before + std::size(rows); }));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].text);
        const std::size_t number = before + i + 1, closed = daemonCalls("CloseNotification");
        EXPECT_EQ(notice(number), rows[i].titleAndBody);
        clickNotice(number);
        EXPECT_TRUE(pageReceives(rows[i].pageCall));
        ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 1; }));
        EXPECT_EQ(lastWithdrawn(), std::to_string(number)) << "another notification withdrawn";
    }

    // A download that finishes while its window is not in front is told; the click opens the file.
    run("location.href = '" + s_server->url("downloads/slow?kib=64&ms=150") + "'");
    pumpFor(200ms);
    s_screenHost->window.present();
    const std::size_t downloaded = before + std::size(rows) + 1;
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == downloaded; }, 10s));
    EXPECT_EQ(notice(downloaded), localizedString("DownloadFinished") + "|slow.bin");
    clickNotice(downloaded);
    EXPECT_TRUE(pumpUntil([] { return openedAddress("file").ends_with("/slow.bin"); }));

    ASSERT_TRUE(s_daemon->addMethod(kDaemonName, "GetCapabilities", "", "ret = ['body']"));
    run("noticeObj.showNotice('{\"Name\":\"a < b\",\"Content\":\"<b>x</b> &amp;\"}')");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == downloaded + 1; }));
    EXPECT_EQ(notice(downloaded + 1), "a < b|<b>x</b> &amp;");
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
    run("new Notification('Ann <b>', {body: 'Lunch at noon', tag: 'lunch'})");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 1; }));
    run("const later = new Notification('Ann', {body: 'At one', tag: 'lunch'}); "
        "later.onclick = () => document.title = 'clicked'");
    ASSERT_TRUE(pumpUntil(
        [&] { return daemonCalls("Notify") == notified + 2 && daemonCalls("CloseNotification") == closed + 1; }));
    EXPECT_EQ(lastWithdrawn(), idOf(1));
    EXPECT_EQ(notice(notified + 1), "Ann <b>|Lunch at noon");
    EXPECT_EQ(notice(notified + 2), "Ann|At one");
    clickNotice(notified + 2);
    EXPECT_TRUE(pumpUntil([&] { return run("document.title") == "clicked"; }));
    run("const third = new Notification('Bob'); setTimeout(() => third.close(), 300)");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 3; }));
    EXPECT_EQ(lastWithdrawn(), idOf(3));
    // Signing out withdraws what is still listed: a notice of the bridge and one of the page.
    run("noticeObj.showNotice('{\"Name\":\"Ann\",\"Content\":\"Hi\"}'); window.kept = new Notification('Kept')");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 5; }));
    m_dialogs.answerAlert(0);
    run("settingObj.navigateToLogoutPage()");
    ASSERT_TRUE(pumpUntil([&] { return daemonCalls("CloseNotification") == closed + 5; }));
    const auto withdrawn = s_daemon->methodCalls("CloseNotification");
    EXPECT_THAT((std::vector{argumentText(withdrawn[closed + 3], 0), argumentText(withdrawn[closed + 4], 0)}),
                testing::UnorderedElementsAre(idOf(4), idOf(5)));

    settings().setIsDesktopNotifications(false);
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
    settings().setIsDesktopNotifications(true);
}

// The organisation's page asks once per kind of devices for a call, and the answer holds for the
// run. The engine's mock devices stand for a camera and a microphone.
TEST_F(WebHostTest, CallsAskOnceForTheOrganisationsPages) {
    const struct {
        const char* constraints;
        int answer;  // the dialog's button; -1: no dialog
        const char* outcome;
    } rows[] = {
        {"{video: true}", 1, "NotAllowedError"},
        {"{video: true}", -1, "NotAllowedError"},
        {"{audio: true, video: true}", 0, "audio,video"},
        {"{audio: true, video: true}", -1, "audio,video"},
    };
    // Each on a fresh page: the engine's own memory of a page's answers goes with the page.
    for (const auto& row : rows) {
        ASSERT_TRUE(reloadLoginPage());
        if (row.answer >= 0) m_dialogs.answerAlert(row.answer);
        EXPECT_EQ(mediaAnswer(row.constraints), row.outcome) << row.constraints;
    }
    const std::string host = *Q7ZOrganisationPages::hostOf(s_server->baseUrl());
    EXPECT_EQ(m_dialogs.alerts(),
              (Strings{localizedFormat("MediaAskCamera", host), localizedFormat("MediaAskCameraAndMicrophone", host)}));
}

// Another site's window is offered no link or image commands, is refused devices without
// asking, and its window.print() shows no dialog.
TEST_F(WebHostTest, AnotherSitesWindowGetsNoLinkOrImageCommandsNoDevicesAndNoPrinting) {
    WebKitWebView* popup = openPopup(otherHost("samples/sample.html"));
    ASSERT_TRUE(popup);
    run(addLinkAndImage(), popup);
    for (const char* element : {"#ctx-link", "#ctx-image"}) {
        EXPECT_THAT(contextMenuAt(element, "", popup),
                    testing::AllOf(Not(testing::Contains(localizedString("OpenLinkInBrowser"))),
                                   Not(testing::Contains(localizedString("SaveImageAs")))))
            << element;
    }
    EXPECT_EQ(mediaAnswer("{video: true}", popup), "NotAllowedError");
    run("setTimeout(() => print())", popup);
    pumpFor(500ms);
    EXPECT_EQ(m_dialogs.alerts(), Strings{});
    run("window.close()", popup);
    EXPECT_TRUE(pumpUntil([] { return shownPopupViews().empty(); }));
}

// While the desktop's do-not-disturb is on (GNOME's banners off, or the notification server's
// Inhibited), a notice is still posted but starts no sound and asks for no attention; turned off
// while running, both come back. A chosen sound file that is gone is forgotten, in the settings
// file too, when the sound is loaded: that is how its start shows here.
TEST_F(WebHostTest, DoNotDisturbSilencesNoticesAndFollowsTheDesktop) {
    auto banners = Gio::Settings::create("org.gnome.desktop.notifications");
    ASSERT_TRUE(s_daemon->addProperty(kDaemonName, "Inhibited", g_variant_new_boolean(FALSE)));
    settings().setIsNotificationSound(true);
    settings().setIsCustomNotificationSound(true);
    const std::string gone = processHome().path() + "/gone.wav";
    const std::string settingsFile = processHome().documents() + "/Q7ZAppSettingConfig.plist";
    movePointerOutside(s_screenHost->window);
    const struct {
        bool banners, inhibited, quiet;
    } rows[] = {{false, false, true}, {true, true, true}, {true, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "banners " << row.banners << ", inhibited " << row.inhibited);
        banners->set_boolean("show-banners", row.banners);
        ASSERT_TRUE(s_daemon->setProperty(kDaemonName, "Inhibited", g_variant_new_boolean(row.inhibited)));
        pumpFor(200ms);  // the server's PropertiesChanged arrives
        // Each time: other tests' windows come and go on the shared display, and without a window
        // manager the focus may then fall to this one.
        sendFocusChange(s_screenHost->window, false);
        settings().setCustomNotificationSoundPath(gone);
        ASSERT_TRUE(settings().saveConfig());
        const std::size_t notified = daemonCalls("Notify");
        run("noticeObj.noticeEvent(); noticeObj.showNotice('{\"Name\":\"Ann\",\"Content\":\"Hi\"}')");
        EXPECT_TRUE(pumpUntil([&] { return daemonCalls("Notify") == notified + 1; }));
        EXPECT_EQ(settings().customNotificationSoundPath().empty(), !row.quiet);
        EXPECT_EQ(readFileText(settingsFile).find(gone) == std::string::npos, !row.quiet);
        EXPECT_EQ(s_screenHost->attention()->isRequested(), !row.quiet);
        s_screenHost->attention()->cancel();
    }
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
    EXPECT_EQ(m_dialogs.alerts(), (Strings{"Hello", "Sure?", "Sure?", "Sure?", "Name?", "Name?"}));

    run("document.body.insertAdjacentHTML('beforeend', '<input id=one type=file><input id=many type=file multiple>')");
    const std::string readme = VELLOQ_SOURCE_DIR "/README.md", lists = VELLOQ_SOURCE_DIR "/CMakeLists.txt";
    const struct {
        const char* input;
        std::optional<Strings> answer;
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
// Downloads are the tests' below, every decision's detail the policy's own test's.
TEST_F(WebHostTest, NavigationsNewWindowsAndResponsesAreDecidedAsThePolicySays) {
    const std::string same = s_server->url("samples/sample.html");
    const std::string other = otherHost("samples/sample.html"), xml = s_server->url("samples/sample.xml");
    const auto click = [](const std::string& url, const char* target) {
        return "var a = document.createElement('a'); a.href = '" + url + "'; a.target = '" + target +
               "'; document.body.append(a); a.click()";
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
        ASSERT_TRUE(reloadLoginPage());
        run("window.rowMark = 1; " + row.action);
        const std::string scheme = row.desktop.substr(0, row.desktop.find(':'));  // none: no such file
        EXPECT_TRUE(pumpUntil([&] { return row.desktop.empty() || openedAddress(scheme) == row.desktop; }));
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
        EXPECT_EQ(std::ranges::count(openedAddresses(scheme), row.desktop), row.desktop.empty() ? 0 : 1);
        const auto shows = [&] { return addressOf(m_view) == row.shows; };
        const auto stays = [&] { return run("typeof window.rowMark") == "number"; };
        EXPECT_TRUE(row.shows.empty() ? stays() : pumpUntil(shows)) << "shows " << addressOf(m_view);
    }
    run("history.back()");  // no back-forward list: going back goes nowhere
    pumpFor(300ms);
    EXPECT_EQ(addressOf(m_view), xml);
}

// Reload and Downloads reach the shown screen, and a replaced screen lives until the loop is
// idle; the main window coming forward or going back reaches the page.
TEST_F(WebHostTest, ReloadFollowsTheShownScreenAndTheForegroundReachesThePage) {
    Q7ZMainWindow& window = s_screenHost->window;
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
    WebKitWebView* popup = openPopup(s_server->url("samples/sample.html"));
    ASSERT_TRUE(popup);
    const std::pair<const char*, double> steps[] = {
        {"zoomIn", 1.1}, {"zoomIn", 1.25}, {"zoomOut", 1.1}, {"zoomActualSize", 1.0}, {"zoomOut", 0.9}};
    for (const auto& [action, level] : steps) {
        s_screenHost->window.activate_action(action);
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(m_view), level) << action;
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(popup), level) << action;
    }
    GdkEvent* wheel = gdk_event_new(GDK_SCROLL);
    wheel->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(m_view))));
    wheel->scroll.direction = GDK_SCROLL_UP;
    wheel->scroll.state = GDK_CONTROL_MASK;
    gtk_widget_event(GTK_WIDGET(m_view), wheel);
    gdk_event_free(wheel);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(m_view), 1.0);

    s_screenHost->window.activate_action("zoomIn");
    Q7ZWebViewController next(*s_screenHost);
    ASSERT_TRUE(webViewOf(next));
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(webViewOf(next)), 1.1);
    next.zoom(Q7ZViewController::Zoom::ActualSize);  // the other tests' pages at their own size
}

// A link offers the browser and its address, an image to be copied and saved; a misspelled word
// its suggestions while spelling is checked.
TEST_F(WebHostTest, LinksImagesAndMisspelledWordsOfferTheirCommands) {
    run(addLinkAndImage());
    const std::string openInBrowser = localizedString("OpenLinkInBrowser");
    EXPECT_THAT(contextMenuAt("#ctx-link", openInBrowser),
                testing::IsSupersetOf({openInBrowser, localizedString("CopyLinkAddress")}));
    EXPECT_TRUE(pumpUntil([&] { return openedAddress("http") == kLink; }));
    const std::string saveImage = localizedString("SaveImageAs");
    EXPECT_THAT(contextMenuAt("#ctx-image", saveImage),
                testing::IsSupersetOf({localizedString("CopyImage"), saveImage}));
    EXPECT_TRUE(pumpUntil([&] { return fs::exists(m_folder + "/icon.png"); }));

    // Typed, as the engine checks what the user types (its dictionaries load at the first key);
    // Edit ▸ Check Spelling off, a page no longer is.
    gtk_widget_grab_focus(GTK_WIDGET(m_view));
    sendKeyPress(s_screenHost->window, GDK_KEY_Shift_L);
    for (const bool checked : {true, false}) {
        Q7ZSpellChecking::setEnabled(checked);
        ASSERT_TRUE(reloadLoginPage());
        run("document.body.insertAdjacentHTML('afterbegin', '<span id=\"ctx-draft\" contenteditable></span>'); "
            "document.getElementById('ctx-draft').focus(); document.execCommand('insertText', false, 'Helo ')");
        const auto suggested = [&] { return std::ranges::count(contextMenuAt("#ctx-draft"), "Hello") == 1; };
        if (checked) EXPECT_TRUE(pumpUntil(suggested));
        else EXPECT_FALSE(pumpUntil(suggested, 2s));
    }
    Q7ZSpellChecking::setEnabled(true);
}

// Edit ▸ Find… counts the matches as the user types, steps through them both ways around the
// page, says when there are none, and Escape gives the page its focus back.
TEST_F(WebHostTest, FindCountsAndStepsThroughMatchesAndEscapeReturnsToThePage) {
    run("document.body.insertAdjacentHTML('afterbegin', '<p>Pear, pear and a PEAR. Apples.</p>')");
    s_screenHost->window.activate_action("find");
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
    sendKeyPress(s_screenHost->window, GDK_KEY_Escape);
    EXPECT_FALSE(entry->is_visible());
    EXPECT_TRUE(gtk_widget_is_focus(GTK_WIDGET(m_view)));
}

// File ▸ Print… and the page's window.print() print through the dialog's choice (here a PDF
// file); a cancelled dialog prints nothing.
TEST_F(WebHostTest, PrintGoesThroughTheDialog) {
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
    s_screenHost->window.activate_action("print");
    EXPECT_TRUE(printed(menuPdf));
    m_dialogs.answerPrintDialog(std::nullopt);
    m_dialogs.answerPrintDialog(printTo(pagePdf));
    run("setTimeout(() => { print(); print(); })");
    EXPECT_TRUE(printed(pagePdf));
    EXPECT_EQ(m_dialogs.alerts().size(), 3u);
}

// Downloads: the page navigates to the demo server's download routes, so the response policy
// starts page downloads, and the engine downloads addresses as its context menu's download
// commands do. Observed as the user sees them: the files in the download folder, the records the
// downloads window lists, the settings store and the launcher entry's progress.

// An engine download, which cannot ask, resets the setting to the default folder; a page
// download asks for a folder, and a cancelled panel fetches nothing.
TEST_F(WebHostTest, AMissingFolderIsResetToTheDefaultByEngineDownloadsAndAskedForByPageDownloads) {
    settings().setDownloadFileSavePath(m_folder + "/gone");
    webkit_web_view_download_uri(m_view, s_server->url("downloads/disposition").c_str());
    const auto engine = endedOf(1);
    EXPECT_EQ(settings().downloadFileSavePath(), Paths::downloadsDirectory());
    EXPECT_EQ(engine->savePathString(), Paths::downloadsDirectory() + "/notes.txt");
    EXPECT_NE(readFileText(processHome().documents() + "/Q7ZAppSettingConfig.plist").find(Paths::downloadsDirectory()),
              std::string::npos)
        << "the reset setting was not saved";

    settings().setDownloadFileSavePath(m_folder + "/gone");
    m_dialogs.answerOpenPanel(std::nullopt);
    run("location.href = '" + s_server->url("downloads/plain") + "'");
    pumpFor(500ms);
    ASSERT_EQ(m_dialogs.openPanels().size(), 1u);
    const OpenPanelOptions& asked = m_dialogs.openPanels()[0];
    EXPECT_TRUE(asked.prompt == localizedString("m12") && asked.canChooseDirectories && !asked.canChooseFiles);
    EXPECT_EQ(registry().getAllDownloadDataArray().size(), 1u);

    // A chosen folder takes this download; the setting stays.
    m_dialogs.answerOpenPanel(std::vector<std::string>{m_folder});
    run("location.href = '" + s_server->url("downloads/plain") + "'");
    const auto record = endedOf(2);
    EXPECT_EQ(record->savePathString(), m_folder + "/Quarterly report.pdf");
    EXPECT_EQ(settings().downloadFileSavePath(), m_folder + "/gone");
}

TEST_F(WebHostTest, EngineDownloadsSaveIntoTheFolderShowProgressAndLogoutCancelsAndClearsThem) {
    // Two of one name started together keep both files, and a dangling link at the name stays
    // as it was: each claims a free name of its own.
    fs::create_symlink(m_folder + "/gone.txt", m_folder + "/notes.txt");
    for (int i = 0; i < 2; ++i) webkit_web_view_download_uri(m_view, s_server->url("downloads/disposition").c_str());
    newestOf(2);
    ASSERT_TRUE(pumpUntil([&] {
        return std::ranges::all_of(registry().getAllDownloadDataArray(),
                                   [](const auto& r) { return r->currentstatus() == Q7ZDownloadStatus::Finished; });
    }));
    EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"notes-1.txt", "notes-2.txt", "notes.txt"}));
    EXPECT_TRUE(fs::is_symlink(m_folder + "/notes.txt"));
    EXPECT_EQ(readFileText(m_folder + "/notes-2.txt"), "Notes from the demo server.\n");

    // Into the folder the user has chosen in the settings since; an answer in chunks, which
    // tells no size, shows the size it has on disk.
    const std::string folder = m_folder + "/chosen";
    fs::create_directories(folder);
    settings().setDownloadFileSavePath(folder);
    const std::pair<const char*, const char*> rows[] = {{"notes.txt", "downloads/disposition"},
                                                        {"oversized-stream", "test/oversized-stream?mib=1"}};
    for (std::size_t count = 3; const auto& [name, path] : rows) {
        webkit_web_view_download_uri(m_view, s_server->url(path).c_str());
        const auto finished = endedOf(count++);
        EXPECT_EQ(finished->savePathString(), folder + "/" + name);
        EXPECT_GT(finished->totalDataLenght(), 0);
        EXPECT_EQ(fs::file_size(finished->savePathString()), static_cast<std::uintmax_t>(finished->totalDataLenght()));
    }

    // A slow one runs while the launcher shows its progress; logout cancels it and clears both.
    LauncherEntry& launcher = s_screenHost->launcher;
    webkit_web_view_download_uri(m_view, s_server->url("downloads/slow?kib=256&ms=100").c_str());
    const auto running = newestOf(5);
    ASSERT_TRUE(pumpUntil([&] { return running->countDataLenght() > 0 && launcher.progress().value_or(0) > 0; }));
    EXPECT_LT(*launcher.progress(), 1.0);
    m_dialogs.answerAlert(0);
    run("settingObj.navigateToLogoutPage()");
    EXPECT_EQ(running->currentstatus(), Q7ZDownloadStatus::Failed);
    EXPECT_TRUE(registry().getAllDownloadDataArray().empty());
    EXPECT_FALSE(launcher.progress().has_value());
    EXPECT_TRUE(pumpUntil([&] { return shown<Q7ZDownloaderWindow>().empty(); }));
}

// Naming itself is the page download's own test's; here a second page download of a name must
// not replace the first (its row's button bears the numbered name), the page stays, and a 404
// writes nothing and is no finished download.
TEST_F(WebHostTest, PageDownloadsKeepEarlierFilesRowsFindThemGoneOrCancelAndAPopupsDownloadClosesIt) {
    std::shared_ptr<Q7ZDownloadData> records[2];
    for (std::size_t index = 0; index < 2; ++index) {
        run("location.href = '" + s_server->url("downloads/plain") + "'");
        records[index] = endedOf(index + 1);
    }
    EXPECT_EQ(run("typeof parlorMain"), "object") << "the page was left for a download";
    // The file's own button opens it, the folder button reveals it: both find it gone.
    const std::pair<int, std::string> clicks[] = {{1, "Quarterly report-1.pdf"}, {0, localizedString("m3227")}};
    for (const auto& [index, button] : clicks) {
        fs::remove(records[index]->savePathString());
        ASSERT_TRUE(clickInDownloadsWindow(button)) << button;
        EXPECT_EQ(records[index]->currentstatus(), Q7ZDownloadStatus::FileMissing) << button;
    }

    // Running downloads of both kinds show their progress under the announced name until
    // cancelled; a cancelled page download leaves no partial file.
    for (const bool isPage : {true, false}) {
        const std::string slow = s_server->url("downloads/slow?kib=512&ms=100");
        if (isPage) run("location.href = '" + slow + "'");
        else webkit_web_view_download_uri(m_view, slow.c_str());
        const auto running = newestOf(3);
        ASSERT_TRUE(pumpUntil(
            [&] { return running->countDataLenght() > 0 && running->fileName() == (isPage ? "slow.bin" : "slow"); }));
        EXPECT_EQ(running->totalDataLenght(), 512 * 1024);
        ASSERT_TRUE(pumpUntil([&] { return clickInDownloadsWindow(localizedString("m10")); }));
        EXPECT_EQ(registry().getAllDownloadDataArray().size(), 2u);
        EXPECT_TRUE(pumpUntil([&] { return filesInFolder().empty(); })) << "a partial file was left";
    }

    WebKitWebView* popup = openPopup(s_server->url("samples/sample.html"));
    ASSERT_TRUE(popup);
    run("location.href = '" + s_server->url("downloads/named?name=from-popup.txt") + "'", popup);
    EXPECT_TRUE(pumpUntil([&] { return shownPopupViews().empty(); }));
    const auto fromPopup = endedOf(3);
    EXPECT_EQ(fromPopup->savePathString(), m_folder + "/from-popup.txt");

    // A failed row keeps its name and says why; Try Again fetches it anew in a row of its own.
    const auto filesBefore = filesInFolder();
    run("location.href = '" + s_server->url("downloads/missing") + "'");
    const auto missing = endedOf(4, Q7ZDownloadStatus::Failed);
    EXPECT_EQ(missing->failure(), Q7ZDownloadFailure::Server) << "a 404 shown as a finished download";
    EXPECT_EQ(missing->fileName(), "missing");
    EXPECT_EQ(filesInFolder(), filesBefore) << "a 404 wrote a file";
    run("location.href = '" + s_server->url("downloads/flaky?id=page&fails=2") + "'");
    EXPECT_EQ(endedOf(5, Q7ZDownloadStatus::Failed)->failure(), Q7ZDownloadFailure::Server);
    ASSERT_TRUE(clickInDownloadsWindow(localizedString("TryAgain")));
    const auto retried = endedOf(5);
    EXPECT_EQ(retried->savePathString(), m_folder + "/flaky.txt");
}

// Answers that fetched again would differ are saved as the engine received them.
TEST_F(WebHostTest, AFormsAnswerAndABlobAddressAreSavedAsReceived) {
    const std::pair<std::string, std::string> rows[] = {
        {"const form = document.createElement('form'); form.method = 'post'; form.action = '" +
             s_server->url("downloads/form") +
             "'; const field = document.createElement('input'); field.name = 'topic'; field.value = 'budget 2027';"
             "form.append(field); document.body.append(form); form.submit()",
         "form-answer.txt:posted:\ntopic=budget 2027\n"},
        {"const link = document.createElement('a'); link.href = URL.createObjectURL(new Blob(['made in the page'], "
         "{type: 'application/octet-stream'})); document.body.append(link); link.click()",
         ":made in the page"}};
    for (std::size_t count = 1; const auto& [script, expected] : rows) {
        run(script);
        const auto saved = endedOf(count++);
        // "name:contents"; a blob's name is the engine's to choose.
        const std::string name = expected.starts_with(":") ? "" : fs::path(saved->savePathString()).filename().string();
        EXPECT_EQ(name + ":" + readFileText(saved->savePathString()), expected);
        EXPECT_TRUE(saved->retryUrl().empty()) << "offered to fetch again what would be another answer";
    }
}

}  // namespace
