// The settings window on a real display: the stores write into a temporary home, alerts and
// open panels are answered by script, and the demo server answers the login-page check of a
// newly chosen server. Tests find the controls by their accessible names, work them as a user
// would, and check what the user sees (Save's sensitivity, selected items, alert texts), what
// the delegate is asked and what reached the files.

#include <gtest/gtest.h>
#include <gtkmm.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BuildConfig.h"
#include "platform/BundleEx.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/LoginItem.h"
#include "settings/Q7ZSettingWindow.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"

namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kNoServer = Q7ZAppSettingConfigSingleton::kNoServerSequence;
const std::string kLoginPageFailure = "Velloq Parlor cannot reach the login page of this server. Please try again later.";

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
    }
    static void TearDownTestSuite() { s_server.reset(); }

    // Defaults, three servers with the first chosen (the third's login page fails), in English;
    // both stores on disk.
    void SetUp() override {
        std::filesystem::remove_all(m_home.documents());
        std::filesystem::create_directories(m_home.documents());
        auto& remote = Q7ZRemoteConfigSingleton::getInstance();
        remote.loadUserInfo();
        settings().loadUserInfo();
        const auto entry = [](int sequence, const char* name, const char* path) {
            return "{\"Sequence\":" + std::to_string(sequence) + ",\"ServerName\":\"" + name + "\",\"Url\":\"" +
                   s_server->url(path) + "\",\"IsCnUrl\":0}";
        };
        remote.setServerListJsonString("[" + entry(0, "Acme", "orgs/acme/") + "," + entry(1, "North", "orgs/north/") +
                                       "," + entry(2, "Down", "orgs/down/") + "]");
        settings().setServerSequence(0);
        settings().setLanguage("en-US");
        ASSERT_TRUE(remote.saveConfig() && settings().saveConfig());
    }

    void openWindow() {
        m_window = std::make_unique<Q7ZSettingWindow>(m_dialogs);
        m_window->setSettingDelegate(&m_delegate);
        m_window->show();
    }

    template <class Control>
    Control& control(const std::string& key) {
        Control* found = nullptr;
        std::function<void(Gtk::Widget&)> visit = [&](Gtk::Widget& widget) {
            auto* candidate = dynamic_cast<Control*>(&widget);
            if (candidate && candidate->get_accessible()->get_name() == localizedString(key)) found = candidate;
            if (auto* container = dynamic_cast<Gtk::Container*>(&widget)) container->foreach(visit);
        };
        visit(*m_window);
        if (!found) throw std::runtime_error("no control named by " + key);
        return *found;
    }
    Gtk::Button& save() { return control<Gtk::Button>("m11"); }
    Gtk::ComboBoxText& popUp(const std::string& key) { return control<Gtk::ComboBoxText>(key); }
    void choosePath(const std::string& key, std::optional<std::string> answer) {
        m_dialogs.answerOpenPanel(answer ? std::optional<Strings>(Strings{*answer}) : std::nullopt);
        popUp(key).set_active(1);  // "Other..."
    }
    void pressKey(guint keyval) {
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(m_window->get_window()->gobj()));
        event->key.keyval = keyval;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        m_window->event(event);
        gdk_event_free(event);
    }
    // Runs the main loop until the alerts and requests counted have come, and a little longer.
    void saveAndWait(std::size_t alerts, std::size_t requests) {
        save().clicked();
        waitFor(alerts, requests);
    }
    void waitFor(std::size_t alerts, std::size_t requests) {
        pumpUntil([&] { return m_dialogs.alerts().size() >= alerts && m_delegate.requests.size() >= requests; });
        pumpFor(std::chrono::milliseconds(100));
    }

    static inline std::unique_ptr<DemoServer> s_server;
    TempHome m_home;
    ScriptedDialogs m_dialogs;
    RecordingDelegate m_delegate;
    std::unique_ptr<Q7ZSettingWindow> m_window;
};

TEST_F(SettingWindowTest, SaveIsEnabledExactlyWhileAValueDiffersFromTheStore) {
    openWindow();
    const std::string downloads = settings().downloadFileSavePath();
    const struct {
        const char* control;
        std::function<void()> change, changeBack;
    } cases[] = {
        {"m755", [&] { control<Gtk::CheckButton>("m755").clicked(); }, [&] { control<Gtk::CheckButton>("m755").clicked(); }},
        {"m747", [&] { control<Gtk::CheckButton>("m747").clicked(); }, [&] { control<Gtk::CheckButton>("m747").clicked(); }},
        {"m283", [&] { popUp("m283").set_active(1); }, [&] { popUp("m283").set_active(0); }},
        {"m746", [&] { popUp("m746").set_active(0); }, [&] { popUp("m746").set_active(2); }},
        {"m3837", [&] { choosePath("m3837", m_home.path()); }, [&] { choosePath("m3837", downloads); }},
    };
    EXPECT_FALSE(save().get_sensitive());
    for (const auto& edit : cases) {
        SCOPED_TRACE(edit.control);
        edit.change();
        EXPECT_TRUE(save().get_sensitive());
        edit.changeBack();
        EXPECT_FALSE(save().get_sensitive());
    }
}

TEST_F(SettingWindowTest, PathPopUpShowsTheChosenFileAndReturnsToItAfterACancelledPanel) {
    openWindow();
    const struct {
        std::optional<std::string> answer;
        const char* shown;
        bool saveEnabled;
    } cases[] = {{std::nullopt, "", false}, {"/sounds/Ding.ogg", "Ding.ogg", true}, {std::nullopt, "Ding.ogg", true}};
    for (const auto& panel : cases) {
        choosePath("m83", panel.answer);
        EXPECT_EQ(popUp("m83").get_active_row_number(), 0);
        EXPECT_EQ(popUp("m83").get_active_text(), panel.shown);
        EXPECT_EQ(save().get_sensitive(), panel.saveEnabled);
    }
    EXPECT_EQ(m_dialogs.openPanels().at(0).prompt, localizedString("m12"));
    EXPECT_FALSE(m_dialogs.openPanels().at(0).canChooseDirectories);
}

TEST_F(SettingWindowTest, AStoredLanguageOfNoneOfTheThreeShowsTheFirstWithoutCountingAsAChange) {
    settings().setLanguage("fr-FR");
    openWindow();
    EXPECT_EQ(popUp("m746").get_active_text(), localizedString("m751"));
    EXPECT_FALSE(save().get_sensitive());
}

// Edits are (control, item): item -1 clicks a check box, any other selects that pop-up item.
TEST_F(SettingWindowTest, SaveConfirmsServerAndLanguageChangesAndKeepsOnlyWhatWasConfirmed) {
    const struct {
        const char* what;
        std::vector<std::pair<const char*, int>> edits;
        std::vector<int> answers;
        Strings alerts, requests;
        std::int64_t savedServer;
        std::string savedLanguage;
        bool savedSound;
        bool documentsUnwritable = false;
    } cases[] = {
        {"sound only", {{"m755", -1}}, {}, {}, {"close"}, 0, "en-US", false},
        {"server and language, confirmed", {{"m283", 1}, {"m746", 1}}, {0}, {"m3206"}, {"server"}, 1, "zh-CN", true},
        {"language, confirmed", {{"m746", 0}}, {0}, {"m1000"}, {"language"}, 0, "zh-TW", true},
        {"server and language, cancelled", {{"m283", 1}, {"m746", 1}}, {1}, {"m3206"}, {}, 0, "en-US", true},
        {"language, cancelled", {{"m746", 1}}, {1}, {"m1000"}, {}, 0, "en-US", true},
        {"server whose login page fails", {{"m283", 2}}, {0, 0}, {"m3206", kLoginPageFailure}, {}, 0, "en-US", true},
        // A failed save is no success: nothing is kept, and the window stays (no files: the defaults).
        {"sound, unsaved", {{"m755", -1}}, {}, {}, {}, kNoServer, "en-US", true, true},
        {"language, unsaved", {{"m746", 1}}, {0}, {"m1000"}, {}, kNoServer, "en-US", true, true},
    };
    for (const auto& flow : cases) {
        SCOPED_TRACE(flow.what);
        SetUp();
        m_dialogs = {};
        m_delegate.requests.clear();
        openWindow();
        for (const auto& [key, item] : flow.edits) {
            item < 0 ? control<Gtk::CheckButton>(key).clicked() : popUp(key).set_active(item);
        }
        for (int answer : flow.answers) m_dialogs.answerAlert(answer);
        if (flow.documentsUnwritable) {
            std::filesystem::remove_all(m_home.documents());
            writeFileText(m_home.documents(), "a file where the folder should be");
        }
        saveAndWait(flow.alerts.size(), flow.requests.size());

        Strings alerts;
        for (const auto& alert : m_dialogs.alerts()) alerts.push_back(alert.message);
        Strings expectedAlerts;
        for (const auto& text : flow.alerts) expectedAlerts.push_back(text.starts_with("m") ? localizedString(text) : text);
        EXPECT_EQ(alerts, expectedAlerts);
        EXPECT_EQ(m_delegate.requests, flow.requests);
        // Nothing kept in memory differs from the files; a dropped change leaves the window as the user left it.
        EXPECT_EQ(settings().language(), flow.savedLanguage);
        settings().loadUserInfo();
        EXPECT_EQ(settings().serverSequence(), flow.savedServer);
        EXPECT_EQ(settings().language(), flow.savedLanguage);
        EXPECT_EQ(settings().isNotificationSound(), flow.savedSound);
        if (flow.requests.empty()) EXPECT_TRUE(m_window->get_visible() && save().get_sensitive());
    }
}

TEST_F(SettingWindowTest, StartAtLoginWritesAndRemovesTheHelpersAutostartEntry) {
    const std::string entry = LoginItem(BuildConfig::kHelperId, BuildConfig::kHelperName).desktopFilePath();
    for (const bool turnedOn : {true, false}) {
        openWindow();
        control<Gtk::CheckButton>("m747").clicked();
        saveAndWait(0, 1);
        EXPECT_EQ(std::filesystem::exists(entry), turnedOn);
        EXPECT_EQ(settings().isAutoStart(), turnedOn);
    }
    EXPECT_EQ(m_delegate.requests, (Strings{"close", "close"}));
}

TEST_F(SettingWindowTest, EveryControlIsNamedAndTheKeyboardCancelsAndSaves) {
    openWindow();
    std::function<void(Gtk::Widget&)> expectNamed = [&](Gtk::Widget& widget) {
        if (dynamic_cast<Gtk::Button*>(&widget) || dynamic_cast<Gtk::ComboBox*>(&widget)) {
            EXPECT_NE(widget.get_accessible()->get_name(), "") << G_OBJECT_TYPE_NAME(widget.gobj());
        }
        if (auto* container = dynamic_cast<Gtk::Container*>(&widget)) container->foreach(expectNamed);
    };
    expectNamed(*m_window);

    control<Gtk::CheckButton>("m3838").grab_focus();
    pressKey(GDK_KEY_Return);  // nothing changed: nothing to save
    pressKey(GDK_KEY_Escape);
    control<Gtk::CheckButton>("m3838").clicked();
    pressKey(GDK_KEY_Return);
    waitFor(0, 2);
    EXPECT_EQ(m_delegate.requests, (Strings{"close", "close"}));
    settings().loadUserInfo();
    EXPECT_FALSE(settings().isDesktopNotifications());
}

}  // namespace
