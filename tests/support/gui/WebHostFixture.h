#pragma once
// A web host in-process, hosting the demo server's sample web app: the application is
// registered once per test program on the program's private bus, with the demo server's
// organisation as the chosen server, and every test places a web host of its own whose alerts
// and panels the test answers. Addresses the desktop is asked to open land in files named
// after their scheme, in the program's home.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/container.h>
#include <gtkmm/window.h>

#include "app/AppDelegate.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WebViewScripts.h"
#include "web/Q7ZWebViewController.h"

class WebHostFixture : public testing::Test {
protected:
    // One application for the program (a GApplication registers once per process); its first
    // screen is a web host too.
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
        s_application = AppDelegate::create("app.velloq.WebHostTest");
        ASSERT_TRUE(s_application->register_application());
    }
    static void TearDownTestSuite() {
        s_application.reset();
        s_server.reset();
    }

    void SetUp() override {
        auto controller = std::make_unique<Q7ZWebViewController>(m_dialogs);
        m_host = controller.get();
        s_application->installScreen(std::move(controller));
        auto children = dynamic_cast<Gtk::Container&>(m_host->view()).get_children();
        ASSERT_EQ(children.size(), 1u);
        m_view = WEBKIT_WEB_VIEW(children.front()->gobj());
        ASSERT_TRUE(pageIsReady());
    }

    bool pageIsReady() {
        return pumpUntil([this] { return !webkit_web_view_is_loading(m_view) && run("typeof parlorMain") == "object"; });
    }
    std::string run(const std::string& script, WebKitWebView* view = nullptr) {
        return WebViewScripts::run(view ? view : m_view, script);
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
            if (window->get_visible() && window != s_application->window() && child && WEBKIT_IS_WEB_VIEW(child))
                views.push_back(WEBKIT_WEB_VIEW(child));
        }
        return views;
    }
    static std::string addressOf(WebKitWebView* view) {
        const char* uri = webkit_web_view_get_uri(view);
        return uri ? uri : "";
    }

    // Quotes of both kinds and CJK, to travel intact to the page.
    static constexpr const char* kTitle = "O'Neil \"Chat\" 中文";
    static inline std::unique_ptr<DemoServer> s_server;
    static inline Glib::RefPtr<AppDelegate> s_application;
    ScriptedDialogs m_dialogs;
    Q7ZWebViewController* m_host = nullptr;
    WebKitWebView* m_view = nullptr;
};
