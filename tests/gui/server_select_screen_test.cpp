// The server selection screen and the enterprise code description window in-process, against
// the demo server: an application is registered once for the program, started with a list of
// three servers and none chosen, so its first screen is the selection screen; each test then
// places a screen of its own whose alerts it answers. The screens are worked through their
// controls, found by the names assistive technologies read, and judged by what the user sees
// (the screen shown, the pop-up's items, the logo, alerts) and by what reaches the stores' files.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>

#include "app/AppDelegate.h"
#include "config/Q7ZACUtilityEndpoints.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "controls/Q7ZCursorPopUpButton.h"
#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindow.h"
#include "onboarding/screens/Q7ZMultipleServerSelectViewController.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/PropertyListFile.h"
#include "support/DemoServer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WidgetEvents.h"

namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kNoServer = Q7ZAppSettingConfigSingleton::kNoServerSequence;

class ServerSelectScreenTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        processHome();  // the stores' files in a home of the test's own
        GtkTestEnvironment::ensure();
        s_server = std::make_unique<DemoServer>();
        storeServers({"acme", "north", "south"}, "orgs/acme/icon.png");
        s_application = AppDelegate::create("app.velloq.ServerSelectTest");
        ASSERT_TRUE(s_application->register_application());
    }
    static void TearDownTestSuite() {
        s_application.reset();
        s_server.reset();
    }

    // Servers of the demo server's organisations, numbered from 0 in list order; none chosen.
    static void storeServers(const std::vector<std::string>& organisations, const std::string& iconPath) {
        std::string list;
        for (std::size_t i = 0; i < organisations.size(); ++i) {
            list += (i ? "," : "") + std::string(R"({"Sequence":)") + std::to_string(i) + R"(,"ServerName":")" +
                    organisations[i] + R"(","Url":")" + s_server->url("orgs/" + organisations[i] + "/") +
                    R"(","IsCnUrl":0})";
        }
        auto& remote = Q7ZRemoteConfigSingleton::getInstance();
        remote.setServerListJsonString("[" + list + "]");
        remote.setRemoteTitleIcon(iconPath.empty() ? "" : s_server->url(iconPath));
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(kNoServer);
    }

    Q7ZMultipleServerSelectViewController& placeSelectScreen() {
        auto screen = std::make_unique<Q7ZMultipleServerSelectViewController>(m_dialogs);
        auto& placed = *screen;
        s_application->installScreen(std::move(screen));
        return placed;
    }
    static std::string shownScreen() { return s_application->window()->contentViewController()->className(); }

    template <class Widget>
    static Widget& find(Gtk::Widget& root, const std::string& name = "") {
        for (Gtk::Widget* widget : widgetTree(root)) {
            auto* found = dynamic_cast<Widget*>(widget);
            if (found && (name.empty() || accessibleName(*found) == name)) return *found;
        }
        throw std::runtime_error("no widget named " + name);
    }
    // The chosen server in the settings file, saved by the worker once it has reported.
    static bool savedServerSequenceIs(std::int64_t sequence) {
        return pumpUntil([sequence] {
            const auto saved = PropertyListFile::load(Paths::documentsDirectory() + "/Q7ZAppSettingConfig.plist");
            return saved && saved->integerValue("serverSequence") == sequence;
        });
    }

    static inline std::unique_ptr<DemoServer> s_server;
    static inline Glib::RefPtr<AppDelegate> s_application;
    ScriptedDialogs m_dialogs;
};

TEST_F(ServerSelectScreenTest, NextChecksThePickedServerAndOpensTheWebHostOrAlertsAndStays) {
    struct Row {
        std::vector<std::string> organisations;
        const char* iconPath;
        int pick;
        bool loginPageAnswers;
        bool showsIcon;  // the organisation's 96 × 96 icon in place of the product logo
        bool byReturn;   // next by the Return key instead of a click
    };
    const Row rows[] = {
        {{"acme", "north", "south"}, "orgs/acme/icon.png", 2, true, true, false},
        {{"acme", "down", "south"}, "orgs/down/icon.png", 1, false, false, true},  // the icon answers 500
        {{"north"}, "", 0, true, false, false},
    };
    EXPECT_EQ(shownScreen(), "Q7ZMultipleServerSelectViewController");  // no server chosen at start-up
    for (const Row& row : rows) {
        SCOPED_TRACE(row.organisations[row.pick]);
        storeServers(row.organisations, row.iconPath);
        auto& view = placeSelectScreen().view();
        auto& popUp = find<Q7ZCursorPopUpButton>(view, localizedString("m283"));
        auto& logo = find<Gtk::Image>(view);
        EXPECT_EQ(popUp.get_model()->children().size(), row.organisations.size());
        EXPECT_EQ(popUp.get_active_row_number(), 0);
        EXPECT_EQ(popUp.get_sensitive(), row.organisations.size() > 1);
        const auto showsIcon = [&logo] { return logo.get_pixbuf() && logo.get_pixbuf()->get_width() == 96; };
        if (row.showsIcon) EXPECT_TRUE(pumpUntil(showsIcon));
        else pumpFor(300ms);
        EXPECT_EQ(showsIcon(), row.showsIcon);

        popUp.set_active(row.pick);
        if (!row.loginPageAnswers) m_dialogs.answerAlert(0);
        if (row.byReturn) sendKeyPress(*s_application->window(), GDK_KEY_Return);
        else find<Gtk::Button>(view, localizedString("m3")).clicked();
        if (row.loginPageAnswers) {
            EXPECT_TRUE(pumpUntil([] { return shownScreen() == "Q7ZWebViewController"; }));
            EXPECT_EQ(Q7ZACUtility::getServerUrl(), s_server->url("orgs/" + row.organisations[row.pick] + "/"));
            EXPECT_TRUE(savedServerSequenceIs(row.pick));
            continue;
        }
        EXPECT_TRUE(pumpUntil([&] { return !m_dialogs.alerts().empty() && popUp.is_sensitive(); }));
        std::string alert = localizedString("m3840");
        if (const auto at = alert.find("%@"); at != std::string::npos) alert.replace(at, 2, localizedString("m753"));
        EXPECT_EQ(m_dialogs.alerts(), std::vector{alert});
        EXPECT_EQ(shownScreen(), "Q7ZMultipleServerSelectViewController");
        EXPECT_TRUE(savedServerSequenceIs(kNoServer));
        EXPECT_EQ(Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList().size(), row.organisations.size());
    }
}

TEST_F(ServerSelectScreenTest, TheLinkBackResetsBothStoresAndShowsTheEntryScreen) {
    storeServers({"acme", "north"}, "");
    Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(1);
    auto& view = placeSelectScreen().view();
    find<Gtk::Button>(view, localizedString("m1083")).clicked();
    EXPECT_EQ(shownScreen(), "Q7ZEnterEnterpriseCodeViewController");
    const auto savedRemote = PropertyListFile::load(Paths::documentsDirectory() + "/Q7ZRemoteConfig.plist");
    ASSERT_TRUE(savedRemote);
    EXPECT_EQ(savedRemote->stringValue("serverListJsonString"), Q7ZRemoteConfigSingleton::defaultServerListJsonString());
    EXPECT_TRUE(savedServerSequenceIs(kNoServer));
}

// What the entry screen does with the window: close and release it when asked.
struct ReleasingOwner : Q7ZEnterpriseCodeDescriptionWindowDelegate {
    std::unique_ptr<Q7ZEnterpriseCodeDescriptionWindow> window;
    void enterpriseCodeDescriptionWindowWillClose(Q7ZEnterpriseCodeDescriptionWindow& asking) override {
        EXPECT_EQ(&asking, window.get());
        window.reset();
    }
};

TEST_F(ServerSelectScreenTest, TheDescriptionWindowOpensFreshEachTimeCentredOnTheMainWindowAndEscapeOrCloseEndsIt) {
    const auto visibleDescriptionWindows = [] {
        auto windows = Gtk::Window::list_toplevels();
        std::erase_if(windows, [](auto* window) {
            return !dynamic_cast<Q7ZEnterpriseCodeDescriptionWindow*>(window) || !window->get_visible();
        });
        return windows.size();
    };
    Gtk::Window& mainWindow = *s_application->window();
    ReleasingOwner owner;
    for (const bool byEscape : {true, false, true}) {
        owner.window = std::make_unique<Q7ZEnterpriseCodeDescriptionWindow>();
        owner.window->setEnterpriseCodeDescriptionDelegate(&owner);
        owner.window->show();
        ASSERT_TRUE(pumpUntil([&] { return owner.window->get_mapped(); }));
        EXPECT_EQ(visibleDescriptionWindows(), 1u);
        int x = 0, y = 0, width = 0, height = 0, mainX = 0, mainY = 0, mainWidth = 0, mainHeight = 0;
        owner.window->get_position(x, y);
        owner.window->get_size(width, height);
        mainWindow.get_position(mainX, mainY);
        mainWindow.get_size(mainWidth, mainHeight);
        EXPECT_EQ(std::pair(width, height), std::pair(380, 280));
        EXPECT_NEAR(x + width / 2, mainX + mainWidth / 2, 2);
        EXPECT_NEAR(y + height / 2, mainY + mainHeight / 2, 40);  // the main window's frame and menu bar

        find<Gtk::Button>(*owner.window, localizedString("m3061"));  // the apply button, by its name
        if (byEscape) sendKeyPress(*owner.window, GDK_KEY_Escape);
        else find<Gtk::Button>(*owner.window, localizedString("Close")).clicked();
        EXPECT_EQ(owner.window, nullptr);
        EXPECT_EQ(visibleDescriptionWindows(), 0u);
    }
}

}  // namespace
