#pragma once
// A web host in-process, hosting the demo server's sample web app (the organisation chosen in
// the stores). A small test host stands for the application: a main window, dialogs each test
// answers, a GApplication registered once per test program on its private bus (notifications),
// a launcher entry; the restarts and quits it is asked for are only counted. Addresses
// the desktop is asked to open land in files named after their scheme, in the program's home.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Q7ZMainWindow.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "controls/Q7ZScreenHost.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WidgetEvents.h"
#include "web/Q7ZWebViewController.h"

class TestScreenHost : public Q7ZScreenHost {
public:
    TestScreenHost() : m_attention(m_window, &m_launcher) {}

    Q7ZMainWindow& window() { return m_window; }
    LauncherEntry& launcher() { return m_launcher; }
    void answerWith(ScriptedDialogs& dialogs) { m_dialogs = &dialogs; }

    Gtk::Window& mainWindow() override { return m_window; }
    Dialogs& dialogs() override { return *m_dialogs; }
    Glib::RefPtr<Gio::Application> notifyingApplication() override { return m_application; }
    LauncherEntry* launcherEntry() override { return &m_launcher; }
    Attention* attention() override { return &m_attention; }
    void showScreen(Screen) override {}
    void terminate() override { ++terminations; }
    void requestRestart() override { ++restarts; }

    int terminations = 0, restarts = 0;

private:
    static constexpr const char* kApplicationId = "app.velloq.WebHostTest";
    Q7ZMainWindow m_window;
    ScriptedDialogs* m_dialogs = nullptr;
    Glib::RefPtr<Gio::Application> m_application = Gio::Application::create(kApplicationId);
    LauncherEntry m_launcher{kApplicationId};
    Attention m_attention;
};

class WebHostFixture : public testing::Test {
protected:
    static void SetUpTestSuite() {
        registerAddressHandlers();
        GtkTestEnvironment::ensure();
        s_server = std::make_unique<DemoServer>();
        auto& remote = Q7ZRemoteConfigSingleton::getInstance();
        remote.setServerListJsonString(R"([{"Sequence":0,"ServerName":"Acme","Url":")" + s_server->url("orgs/acme/") +
                                       R"(","IsCnUrl":0}])");
        remote.setRemoteTitle(kTitle);
        remote.setRemoteTitleIcon(s_server->url("orgs/acme/icon.png"));
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(0);
        // Responses that are not pages are downloaded: into a folder that exists.
        const std::string downloads = processHome().path() + "/Downloads";
        std::filesystem::create_directories(downloads);
        Q7ZAppSettingConfigSingleton::getInstance().setDownloadFileSavePath(downloads);
        s_screenHost = std::make_unique<TestScreenHost>();
        ASSERT_TRUE(s_screenHost->notifyingApplication()->register_application());
        s_screenHost->window().show();
    }
    static void TearDownTestSuite() {
        s_screenHost.reset();
        s_server.reset();
    }

    void SetUp() override {
        s_screenHost->answerWith(m_dialogs);
        auto controller = std::make_unique<Q7ZWebViewController>(*s_screenHost);
        m_webHost = controller.get();
        s_screenHost->window().setContentViewController(std::move(controller));
        ASSERT_TRUE((m_view = webViewOf(*m_webHost)));
        ASSERT_TRUE(pageIsReady());
    }

    static WebKitWebView* webViewOf(Q7ZWebViewController& webHost) {
        for (Gtk::Widget* widget : widgetTree(webHost.view()))
            if (WEBKIT_IS_WEB_VIEW(widget->gobj())) return WEBKIT_WEB_VIEW(widget->gobj());
        return nullptr;
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
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
            GtkWidget* child = gtk_bin_get_child(GTK_BIN(window->gobj()));
            if (window->get_visible() && window != &s_screenHost->window() && child && WEBKIT_IS_WEB_VIEW(child))
                views.push_back(WEBKIT_WEB_VIEW(child));
        }
        return views;
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

    // Quotes of both kinds and CJK, to travel intact to the page.
    static constexpr const char* kTitle = "O'Neil \"Chat\" 中文";
    static inline std::unique_ptr<DemoServer> s_server;
    static inline std::unique_ptr<TestScreenHost> s_screenHost;
    ScriptedDialogs m_dialogs;
    Q7ZWebViewController* m_webHost = nullptr;
    WebKitWebView* m_view = nullptr;
};
