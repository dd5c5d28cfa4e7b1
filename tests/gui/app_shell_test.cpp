// The application shell in-process: the application is registered on the test program's own
// bus (once for the program), which runs its start-up (window, menus, first screen) without a
// main loop of its own; the test then drives the window through GTK and pumps the main context
// with a time limit. Proves the File menu, Reload following the shown screen (and every
// replaced screen living until the loop is idle), the window's placement and the foreground
// notifications.

#include <gtest/gtest.h>

#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>

#include "app/AppDelegate.h"
#include "platform/Bundle.h"
#include "platform/NotificationCenter.h"
#include "onboarding/screens/Q7ZEnterEnterpriseCodeViewController.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WidgetEvents.h"
#include "support/MainLoopPump.h"

namespace {

using namespace std::chrono_literals;

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

std::string stringOf(const Glib::VariantBase& variant) {
    return Glib::VariantBase::cast_dynamic<Glib::Variant<Glib::ustring>>(variant).get();
}

class AppShellTest : public ::testing::Test {
protected:
    // One application for the whole program: a GApplication cannot be registered again in the
    // same process once it has started, and every test leaves the window as it found it
    // (shown or hidden, it is the same window).
    static void SetUpTestSuite() {
        GtkTestEnvironment::ensure();
        s_home = std::make_unique<TempHome>();
        s_application = AppDelegate::create();
        ASSERT_TRUE(s_application->register_application());
        pumpFor(50ms);
    }

    static void TearDownTestSuite() {
        s_application.reset();
        s_home.reset();
    }

    void SetUp() override { ASSERT_TRUE(s_application && s_application->window()); }

    Q7ZMainWindow& window() { return *s_application->window(); }

    static inline std::unique_ptr<TempHome> s_home;
    static inline Glib::RefPtr<AppDelegate> s_application;
};

TEST_F(AppShellTest, FileMenuHoldsReloadThenASeparatorThenQuitWithTheirShortcuts) {
    auto menuBar = s_application->get_menubar();
    ASSERT_EQ(menuBar->get_n_items(), 1);
    EXPECT_EQ(stringOf(menuBar->get_item_attribute(0, Gio::MENU_ATTRIBUTE_LABEL, Glib::VARIANT_TYPE_STRING)), localizedString("File"));
    Gtk::Menu menu(menuBar->get_item_link(0, Gio::MENU_LINK_SUBMENU));
    pumpFor(20ms);
    std::vector<std::string> items;
    for (Gtk::Widget* item : menu.get_children()) {
        auto* labelled = dynamic_cast<Gtk::MenuItem*>(item);
        items.push_back(dynamic_cast<Gtk::SeparatorMenuItem*>(item) ? "-" : labelled ? labelled->get_label() : "?");
    }
    EXPECT_EQ(items, (std::vector<std::string>{localizedString("Reload"), "-", localizedString("Quit")}));
    EXPECT_EQ(s_application->get_accels_for_action("win.reloadWebView"), std::vector<Glib::ustring>{"<Primary>r"});
    EXPECT_EQ(s_application->get_accels_for_action("app.quit"), std::vector<Glib::ustring>{"<Primary>q"});
}

TEST_F(AppShellTest, ReloadIsEnabledOnlyForAScreenThatAnswersIt) {
    auto reloadAction = Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(window().lookup_action("reloadWebView"));
    ASSERT_TRUE(reloadAction);
    const auto currentScreen = [&] { return window().contentViewController()->className(); };
    EXPECT_EQ(currentScreen(), "Q7ZWebViewController");
    EXPECT_TRUE(reloadAction->get_enabled()) << "the web host reloads its page";

    auto& screen = s_application->placeScreen<ReloadableScreen>();
    EXPECT_EQ(currentScreen(), "ReloadableScreen");
    reloadAction->activate();
    EXPECT_EQ(screen.reloads, 1);

    // Replaced twice before the loop is idle: every replaced screen lives until then.
    const int destroyedBefore = ReloadableScreen::s_destroyed;
    window().setContentViewController(std::make_unique<ReloadableScreen>());
    s_application->placeScreen<Q7ZEnterEnterpriseCodeViewController>();
    EXPECT_FALSE(reloadAction->get_enabled());
    EXPECT_EQ(ReloadableScreen::s_destroyed, destroyedBefore);
    EXPECT_TRUE(pumpUntil([&] { return ReloadableScreen::s_destroyed == destroyedBefore + 2; }));
}

// Closing (which only hides the window) is proved end to end, by a window manager's close.
TEST_F(AppShellTest, MainWindowOpensAtTheTopLeftAndForegroundChangesPostTrueThenFalse) {
    std::vector<std::string> posted;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        kWindowsForegroundNotification, [&](const std::string& object) { posted.push_back(object); });
    window().show();
    EXPECT_TRUE(pumpUntil([&] {
        int x = 0, y = 0;
        window().get_position(x, y);
        return window().get_mapped() && x == 100 && y == 100;
    }));
    sendFocusChange(window(), false);  // from a known state, whatever showing did to the focus
    posted.clear();

    sendFocusChange(window(), true);
    sendFocusChange(window(), false);
    EXPECT_EQ(posted, (std::vector<std::string>{"true", "false"}));
}

}  // namespace
