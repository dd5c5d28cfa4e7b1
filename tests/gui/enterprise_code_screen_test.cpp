// The enterprise code entry screen in-process, against the demo server as the private cloud
// service and the organisations' servers, and signed setting codes made with a test key. The
// test works the screen's controls as a user would, found by their accessible names, and
// watches what a user sees: which rows can be edited, which buttons show, the inline error,
// the cover, the alerts and the screen that replaces this one.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include "app/AppDelegate.h"
#include "common/Json.h"
#include "controls/Q7ZNonAcceptTouchsView.h"
#include "onboarding/screens/Q7ZEnterEnterpriseCodeViewController.h"
#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindow.h"
#include "platform/Bundle.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/TestSigningKey.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WidgetEvents.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;

const TestSigningKey& signingKey() {
    static const auto key = TestSigningKey::generate(2048);
    return key;
}

class EnterpriseCodeScreenTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        GtkTestEnvironment::ensure();
        std::filesystem::create_directories(processHome().documents());
        s_server = std::make_unique<DemoServer>();
        s_application = AppDelegate::create("app.velloq.EnterpriseCodeScreenTest");
        ASSERT_TRUE(s_application->register_application());
    }
    static void TearDownTestSuite() {
        s_application.reset();
        s_server.reset();
    }
    void SetUp() override {
        Q7ZEnterpriseCodeChecks::Options options;
        options.privateCloudBase = s_server->baseUrl();
        options.embeddedPublicKeyPem = signingKey().publicKeyPem();
        s_application->installScreen(std::make_unique<Q7ZEnterEnterpriseCodeViewController>(m_dialogs, options));
        s_application->window()->show();
        drainPending();
    }

    static std::string screenName() { return s_application->window()->contentViewController()->className(); }
    static std::vector<Gtk::Widget*> widgets() { return widgetTree(s_application->window()->contentViewController()->view()); }
    template <class Widget>
    static Widget& named(const std::string& key, bool visibleOnly = false) {
        for (Gtk::Widget* widget : widgets()) {
            auto* typed = dynamic_cast<Widget*>(widget);
            if (typed && accessibleName(*widget) == localizedString(key) && (!visibleOnly || widget->get_visible())) {
                return *typed;
            }
        }
        throw std::runtime_error("no control named " + key);
    }
    static Gtk::Entry& codeField() { return named<Gtk::Entry>("m744"); }
    static Gtk::Entry& pasteField() { return named<Gtk::Entry>("m3479"); }
    static bool shows(const std::string& key) {
        for (Gtk::Widget* widget : widgets()) {
            if (widget->is_visible() && dynamic_cast<Gtk::Button*>(widget) && accessibleName(*widget) == localizedString(key)) return true;
        }
        return false;
    }
    // Clicks the clear button of the row in use (the only one shown).
    static void clickClear() { named<Gtk::Button>("ClearText", true).clicked(); }
    void chooseFile(const std::string& path) {
        m_dialogs.answerOpenPanel(std::vector<std::string>{path});
        named<Gtk::Button>("m2159").clicked();
    }
    static bool covered() {
        for (Gtk::Widget* widget : widgets()) {
            if (dynamic_cast<Q7ZNonAcceptTouchsView*>(widget) && widget->get_visible()) return true;
        }
        return false;
    }
    static bool showsInlineError() {
        for (Gtk::Widget* widget : widgets()) {
            auto* label = dynamic_cast<Gtk::Label*>(widget);
            if (label && label->get_text() == localizedString("m748")) return label->is_visible();
        }
        return false;
    }
    static std::string tokenFile(const std::string& token) {
        const std::string path = processHome().path() + "/code.txt";
        writeFileText(path, token);
        return path;
    }
    static std::string signedCode(const json& servers) {
        return signingKey().token(json{{"serverInfo", json{{"T", "Acme"}, {"SL", servers}}.dump()}}.dump());
    }
    static std::string oneServerCode() { return signedCode({{"Acme", s_server->url("orgs/acme/"), 0}}); }

    static inline std::unique_ptr<DemoServer> s_server;
    static inline Glib::RefPtr<AppDelegate> s_application;
    ScriptedDialogs m_dialogs;
};

TEST_F(EnterpriseCodeScreenTest, OneRowAtATimeIsInUseAndClearingItGivesBackAllThree) {
    struct Row {
        const char* name;
        std::function<void(EnterpriseCodeScreenTest&)> act;
        bool codeEditable, pasteEditable, loadButton, next;
    };
    const std::vector<Row> rows = {
        {"nothing entered", [](auto&) {}, true, true, true, false},
        {"a typed code", [](auto&) { codeField().set_text("x"); }, true, false, false, true},
        {"typed, then cleared", [](auto&) { codeField().set_text("x"), clickClear(); }, true, true, true, false},
        {"a pasted code", [](auto&) { pasteField().set_text("x"); }, false, true, false, true},
        {"pasted, then typed", [](auto&) { pasteField().set_text("x"), codeField().set_text("y"); }, true, false, false, true},
        {"a chosen file", [this](auto&) { chooseFile("/tmp/code.txt"); }, false, false, true, true},
        {"chosen, then cleared", [this](auto&) { chooseFile("/tmp/code.txt"), clickClear(); }, true, true, true, false},
        {"file chooser cancelled",
         [this](auto&) { m_dialogs.answerOpenPanel(std::nullopt), named<Gtk::Button>("m2159").clicked(); }, true, true,
         true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        row.act(*this);
        EXPECT_EQ(codeField().get_editable(), row.codeEditable);
        EXPECT_EQ(pasteField().get_editable(), row.pasteEditable);
        EXPECT_EQ(shows("m2159"), row.loadButton);
        EXPECT_EQ(shows("m9"), row.next);
    }
    EXPECT_EQ(s_application->window()->get_resizable(), false);
}

TEST_F(EnterpriseCodeScreenTest, NextRunsTheCheckOfTheRowInUseAndEndsOnTheScreenItLeadsTo) {
    const std::string entry = "Q7ZEnterEnterpriseCodeViewController";
    struct Row {
        const char* name;
        std::function<void(EnterpriseCodeScreenTest&)> act;
        std::string screen;
        std::vector<std::string> alerts;
    };
    const std::string tampered = [] {
        std::string token = oneServerCode();
        token[token.find('.') + 3] ^= 1;
        return token;
    }();
    std::string loginPageAlert = localizedString("m3840");
    if (const auto at = loginPageAlert.find("%@"); at != std::string::npos) {
        loginPageAlert.replace(at, 2, localizedString("m753"));
    }
    const std::string badCode = localizedString("m3481");
    const std::vector<Row> rows = {
        {"one server", [](auto&) { codeField().set_text("Velloq-One"); }, "Q7ZWebViewController", {}},
        {"three servers", [](auto&) { codeField().set_text("velloq-three"); }, "Q7ZMultipleServerSelectViewController", {}},
        {"server down", [](auto&) { codeField().set_text("velloq-down"); }, entry, {loginPageAlert}},
        {"signed, pasted", [](auto&) { pasteField().set_text(oneServerCode()); }, "Q7ZWebViewController", {}},
        {"signed, from a file", [this](auto&) { chooseFile(tokenFile(oneServerCode())); }, "Q7ZWebViewController", {}},
        {"tampered, pasted", [&](auto&) { pasteField().set_text(tampered); }, entry, {badCode + "(2)"}},
        {"unreadable file", [this](auto&) { chooseFile("/nonexistent/code.txt"); }, entry, {badCode + "(1)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        for (std::size_t i = 0; i < row.alerts.size(); ++i) m_dialogs.answerAlert(0);
        const std::size_t alertsBefore = m_dialogs.alerts().size();
        row.act(*this);
        named<Gtk::Button>("m9").clicked();
        EXPECT_TRUE(covered() || screenName() != entry);
        ASSERT_TRUE(pumpUntil([&] { return screenName() == row.screen && !covered(); }, 10s));
        EXPECT_EQ(std::vector(m_dialogs.alerts().begin() + alertsBefore, m_dialogs.alerts().end()), row.alerts);
        drainPending();
        EXPECT_EQ(s_application->window()->get_resizable(), row.screen != entry);  // fixed only while it shows
    }
}

TEST_F(EnterpriseCodeScreenTest, ARejectedCodeShowsTheInlineErrorUntilAnotherRowIsUsed) {
    EXPECT_FALSE(showsInlineError());
    codeField().set_text("no-such-code");
    named<Gtk::Button>("m9").clicked();
    ASSERT_TRUE(pumpUntil([] { return showsInlineError(); }));
    EXPECT_FALSE(covered());
    EXPECT_TRUE(m_dialogs.alerts().empty());

    codeField().set_text("no-such-code-2");
    EXPECT_TRUE(showsInlineError());
    clickClear();
    pasteField().set_text("x");
    EXPECT_FALSE(showsInlineError());
}

TEST_F(EnterpriseCodeScreenTest, TheLinkOpensTheDescriptionWindowBehindACoverUntilItCloses) {
    const auto descriptionWindow = []() -> Gtk::Window* {
        for (auto* window : Gtk::Window::list_toplevels()) {
            if (dynamic_cast<Q7ZEnterpriseCodeDescriptionWindow*>(window) && window->get_visible()) return window;
        }
        return nullptr;
    };
    for (int opening = 0; opening < 2; ++opening) {
        named<Gtk::Button>("m3059").clicked();
        ASSERT_TRUE(pumpUntil([&] { return descriptionWindow() && descriptionWindow()->get_mapped(); }));
        EXPECT_TRUE(covered());
        EXPECT_EQ(descriptionWindow()->get_transient_for(), s_application->window());
        for (Gtk::Widget* widget : widgetTree(*descriptionWindow())) {
            auto* button = dynamic_cast<Gtk::Button*>(widget);
            if (button && accessibleName(*button) == localizedString("Close")) button->clicked();
        }
        EXPECT_EQ(descriptionWindow(), nullptr);
        EXPECT_FALSE(covered());
    }
}

}  // namespace
