// The settings window on a real display: the stores write into a temporary home, alerts and
// open panels are answered by script, and the demo server answers the login-page check of a
// newly chosen server. Tests find the controls by their accessible names, work them as a user
// would (mouse and keyboard), and check what the user sees (Save's sensitivity, selected items,
// alert texts), what the delegate is asked and what reached the files, including a save that
// fails and the helper's autostart entry.

#include <gtest/gtest.h>
#include <gtkmm.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BuildConfig.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/BundleEx.h"
#include "platform/LoginItem.h"
#include "settings/Q7ZSettingWindow.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WidgetEvents.h"

namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kNoServer = Q7ZAppSettingConfigSingleton::kNoServerSequence;
const std::string kLoginPageFailure =
    "Velloq Parlor cannot reach the login page of this server. Please try again later.";

struct RecordingDelegate : Q7ZSettingWindowDelegate {
    Strings requests;
    void settingWindowWillClose(Q7ZSettingWindow&) override { requests.push_back("close"); }
    void settingWindowWillCloseByChangeLanguage(Q7ZSettingWindow&) override { requests.push_back("language"); }
    void settingWindowWillCloseByChangeServer(Q7ZSettingWindow&) override { requests.push_back("server"); }
};

Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }

class SettingWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GtkTestEnvironment::ensure();
        BundleEx::mainBundleEx().enableLanguageOverride();
        BundleEx::mainBundleEx().attachLanguageBundle(
            std::make_shared<Bundle>(VELLOQ_SOURCE_DIR "/resources/en.lproj"));
        s_server = std::make_unique<DemoServer>();
        s_silent = Gio::SocketListener::create();  // accepts nothing
        s_silentUrl = "http://127.0.0.1:" + std::to_string(s_silent->add_any_inet_port()) + "/";
    }
    static void TearDownTestSuite() {
        s_server.reset();
        s_silent.reset();
    }

    // Defaults, four servers with the first chosen (the third's login page fails, the fourth's
    // never answers), in English; both stores on disk.
    void SetUp() override {
        std::filesystem::remove_all(m_home.documents());
        auto& remote = Q7ZRemoteConfigSingleton::getInstance();
        remote.loadUserInfo();
        settings().loadUserInfo();
        auto list = nlohmann::json::array();
        for (const std::string& url :
             {s_server->url("orgs/acme/"), s_server->url("orgs/north/"), s_server->url("orgs/down/"), s_silentUrl})
            list.push_back({{"Sequence", list.size()}, {"ServerName", url}, {"IsCnUrl", 0}, {"Url", url}});
        remote.setServerListJsonString(list.dump());
        settings().setServerSequence(0);
        settings().setLanguage("en-US");
        ASSERT_TRUE(remote.saveConfig() && settings().saveConfig());
    }

    // Both stores' files.
    std::string stored() {
        return readFileText(m_home.documents() + "/Q7ZAppSettingConfig.plist") +
               readFileText(m_home.documents() + "/Q7ZRemoteConfig.plist");
    }
    void openWindow() {
        m_window = std::make_unique<Q7ZSettingWindow>(m_dialogs);
        m_window->setSettingDelegate(&m_delegate);
        m_window->show();
    }

    // The last control named by key; with workable, the last the user can work.
    template <class Control>
    Control& control(const std::string& key, bool workable = false) {
        Control* found = nullptr;
        for (Gtk::Widget* widget : widgetTree(*m_window)) {
            auto* control = dynamic_cast<Control*>(widget);
            if (control && accessibleName(*control) == localizedString(key) &&
                (!workable || (control->is_sensitive() && control->is_visible())))
                found = control;
        }
        if (!found) throw std::runtime_error("no control named by " + key);
        return *found;
    }
    Gtk::Button& save() { return control<Gtk::Button>("m11"); }
    Gtk::ComboBoxText& popUp(const std::string& key) { return control<Gtk::ComboBoxText>(key); }
    // Item -1 clicks the check box named by key, any other item selects that pop-up item.
    void edit(const std::string& key, int item) {
        item < 0 ? control<Gtk::CheckButton>(key).clicked() : popUp(key).set_active(item);
    }
    // Runs the main loop until the alerts and requests counted have come, and a little longer.
    void waitFor(std::size_t alerts, std::size_t requests) {
        pumpUntil([&] { return m_dialogs.alerts().size() >= alerts && m_delegate.requests.size() >= requests; });
        pumpFor(std::chrono::milliseconds(100));
    }

    static inline std::unique_ptr<DemoServer> s_server;
    static inline Glib::RefPtr<Gio::SocketListener> s_silent;
    static inline std::string s_silentUrl;
    TempHome m_home;
    ScriptedDialogs m_dialogs;
    RecordingDelegate m_delegate;
    std::unique_ptr<Q7ZSettingWindow> m_window;
};

// Also what the path pop-ups show after "Other...".
TEST_F(SettingWindowTest, SaveIsEnabledExactlyWhileAValueDiffersFromTheStore) {
    openWindow();
    const std::string downloads = settings().downloadFileSavePath();
    const struct {
        const char* key;
        int item, itemBack;
    } cases[] = {{"m755", -1, -1}, {"m747", -1, -1}, {"m283", 1, 0}, {"m746", 0, 2}, {"m3837", 1, 1}};
    // The downloads folder's "Other...", twice: another folder, then the folder stored.
    m_dialogs.answerOpenPanel(Strings{m_home.path()});
    m_dialogs.answerOpenPanel(Strings{downloads});
    EXPECT_FALSE(save().get_sensitive());
    for (const auto& c : cases) {
        edit(c.key, c.item);
        EXPECT_TRUE(save().get_sensitive()) << c.key;
        edit(c.key, c.itemBack);
        EXPECT_FALSE(save().get_sensitive()) << c.key;
    }

    // "Other..." on the sound pop-up: a cancelled panel goes back to the file shown before, none at first.
    const struct {
        std::optional<Strings> answer;
        const char* shown;
        bool saveEnabled;
    } panels[] = {
        {std::nullopt, "", false}, {Strings{"/sounds/Ding.ogg"}, "Ding.ogg", true}, {std::nullopt, "Ding.ogg", true}};
    for (const auto& panel : panels) {
        m_dialogs.answerOpenPanel(panel.answer);
        popUp("m83").set_active(1);
        EXPECT_EQ(popUp("m83").get_active_row_number(), 0);
        EXPECT_EQ(popUp("m83").get_active_text(), panel.shown);
        EXPECT_EQ(save().get_sensitive(), panel.saveEnabled);
    }
}

// Each flow: the edits, the answers to the alerts, what the user is told and the delegate asked,
// and what the stores then hold. The login page of a new server that never answers is awaited
// behind a cover, with the main loop running (a timer keeps ticking), and the cover's Cancel
// abandons the check. A flow that keeps nothing leaves both stores as their files hold them, and
// the user's edit for another try.
TEST_F(SettingWindowTest, SaveConfirmsServerAndLanguageChangesAndKeepsOnlyWhatWasConfirmed) {
    const std::string server = localizedString("m3206"), language = localizedString("m1000");
    const std::string notSaved = localizedString("SettingsNotSaved");
    const std::pair<const char*, int> newServer{"m283", 1}, newLanguage{"m746", 1};
    const struct {
        const char* what;
        std::vector<std::pair<const char*, int>> edits;
        std::vector<int> answers;
        Strings alerts, requests;
        std::int64_t savedServer;
        std::string savedLanguage;
        bool savedSound, documentsUnwritable = false, checkHangs = false;
    } cases[] = {
        {"sound only", {{"m755", -1}}, {}, {}, {"close"}, 0, "en-US", false},
        {"server and language, confirmed", {newServer, newLanguage}, {0}, {server}, {"server"}, 1, "zh-CN", true},
        {"server and language, cancelled", {newServer, newLanguage}, {1}, {server}, {}, 0, "en-US", true},
        {"language, cancelled", {newLanguage}, {1}, {language}, {}, 0, "en-US", true},
        {"login page fails", {{"m283", 2}}, {0, 0}, {server, kLoginPageFailure}, {}, 0, "en-US", true},
        {"login page hangs, cancelled", {{"m283", 3}}, {0}, {server}, {}, 0, "en-US", true, false, true},
        // A failed save is no success: it is told, nothing is kept, and the window stays (no files:
        // the defaults).
        {"sound, unsaved", {{"m755", -1}}, {0}, {notSaved}, {}, kNoServer, "en-US", true, true},
        {"language, unsaved", {newLanguage}, {0, 0}, {language, notSaved}, {}, kNoServer, "en-US", true, true},
    };
    for (const auto& flow : cases) {
        SCOPED_TRACE(flow.what);
        SetUp();
        m_dialogs = {};
        m_delegate.requests.clear();
        const std::string before = stored();
        openWindow();
        for (const auto& [key, item] : flow.edits) edit(key, item);
        for (int answer : flow.answers) m_dialogs.answerAlert(answer);
        if (flow.documentsUnwritable) {
            std::filesystem::remove_all(m_home.documents());
            writeFileText(m_home.documents(), "a file where the folder should be");
        }
        save().clicked();
        if (flow.checkHangs) {
            int ticks = 0;
            auto timer = Glib::signal_timeout().connect([&ticks] { return ++ticks, true; }, 20);
            pumpFor(std::chrono::seconds(1));
            timer.disconnect();
            EXPECT_GE(ticks, 25) << "the main loop was blocked";
            EXPECT_FALSE(save().is_sensitive());
            control<Gtk::Button>("m10", true).clicked();  // the cover's Cancel
        }
        waitFor(flow.alerts.size(), flow.requests.size());

        EXPECT_EQ(m_dialogs.alerts(), flow.alerts);
        EXPECT_EQ(m_delegate.requests, flow.requests);
        // Nothing kept in memory differs from the files; a dropped change leaves the window as the user left it.
        EXPECT_EQ(settings().language(), flow.savedLanguage);
        if (flow.requests.empty() && !flow.documentsUnwritable) {
            EXPECT_EQ(stored(), before);
            EXPECT_EQ(settings().serverSequence(), 0);
        }
        settings().loadUserInfo();
        EXPECT_EQ(settings().serverSequence(), flow.savedServer);
        EXPECT_EQ(settings().language(), flow.savedLanguage);
        EXPECT_EQ(settings().isNotificationSound(), flow.savedSound);
        EXPECT_TRUE(!flow.requests.empty() || (m_window->get_visible() && save().get_sensitive()));
    }
}

// Return with nothing changed does nothing, Escape cancels; Return saves start at login, which
// writes and then removes the helper's autostart entry. (Every control the tests work is found
// by its accessible name.)
TEST_F(SettingWindowTest, KeyboardCancelsAndSavesAndStartAtLoginWritesTheHelpersAutostartEntry) {
    const std::string entry = LoginItem(BuildConfig::kHelperId, BuildConfig::kHelperName).desktopFilePath();
    openWindow();
    control<Gtk::CheckButton>("m747").grab_focus();
    sendKeyPress(*m_window, GDK_KEY_Return);
    sendKeyPress(*m_window, GDK_KEY_Escape);
    for (const bool turnedOn : {true, false}) {
        openWindow();
        control<Gtk::CheckButton>("m747").grab_focus();
        control<Gtk::CheckButton>("m747").clicked();
        sendKeyPress(*m_window, GDK_KEY_Return);
        waitFor(0, turnedOn ? 2 : 3);
        EXPECT_EQ(std::filesystem::exists(entry), turnedOn);
        settings().loadUserInfo();
        EXPECT_EQ(settings().isAutoStart(), turnedOn);
    }
    EXPECT_EQ(m_delegate.requests, (Strings{"close", "close", "close"}));
}

}  // namespace
