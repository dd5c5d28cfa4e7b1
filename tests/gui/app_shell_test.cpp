// The application shell in-process: the application is registered on the test program's own
// bus (once for the program), which runs its start-up (window, menus, first screen) without a
// main loop of its own; the test then drives the window through GTK and pumps the main context
// with a time limit.

#include <gtest/gtest.h>

#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>

#include "app/AppDelegate.h"
#include "platform/Bundle.h"
#include "platform/NotificationCenter.h"
#include "web/Q7ZWebViewController.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
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

    void showWindow() {
        window().show();
        ASSERT_TRUE(pumpUntil([&] { return window().get_mapped(); }));
    }

    static inline std::unique_ptr<TempHome> s_home;
    static inline Glib::RefPtr<AppDelegate> s_application;
};

TEST_F(AppShellTest, FileMenuHoldsReloadWithControlRThenASeparatorThenQuitWithControlQ) {
    auto menuBar = s_application->get_menubar();
    ASSERT_EQ(menuBar->get_n_items(), 1);
    EXPECT_EQ(stringOf(menuBar->get_item_attribute(0, Gio::MENU_ATTRIBUTE_LABEL, Glib::VARIANT_TYPE_STRING)), localizedString("File"));
    Gtk::Menu menu(menuBar->get_item_link(0, Gio::MENU_LINK_SUBMENU));
    pumpFor(20ms);
    const auto items = menu.get_children();

    ASSERT_EQ(items.size(), 3u);
    auto* reload = dynamic_cast<Gtk::MenuItem*>(items[0]);
    auto* quit = dynamic_cast<Gtk::MenuItem*>(items[2]);
    ASSERT_TRUE(reload && quit);
    EXPECT_EQ(reload->get_label(), localizedString("Reload"));
    EXPECT_NE(dynamic_cast<Gtk::SeparatorMenuItem*>(items[1]), nullptr) << "no separator at index 1";
    EXPECT_EQ(quit->get_label(), localizedString("Quit"));
    EXPECT_EQ(s_application->get_accels_for_action("win.reloadWebView"), std::vector<Glib::ustring>{"<Primary>r"});
    EXPECT_EQ(s_application->get_accels_for_action("app.quit"), std::vector<Glib::ustring>{"<Primary>q"});
}

TEST_F(AppShellTest, ReloadIsEnabledOnlyForAScreenThatAnswersIt) {
    auto reloadAction = Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(window().lookup_action("reloadWebView"));
    ASSERT_TRUE(reloadAction);
    const auto currentScreen = [&] {
        return stringOf(s_application->get_action_state_variant(AppDelegate::kCurrentScreenActionName));
    };
    EXPECT_EQ(currentScreen(), "Q7ZWebViewController");
    EXPECT_FALSE(reloadAction->get_enabled()) << "the placeholder web host does not reload";

    auto& screen = s_application->placeScreen<ReloadableScreen>();
    EXPECT_EQ(currentScreen(), "ReloadableScreen");
    EXPECT_EQ(window().contentViewController(), &screen);
    EXPECT_TRUE(reloadAction->get_enabled());
    reloadAction->activate();
    EXPECT_EQ(screen.reloads, 1);

    // Replaced twice before the loop is idle: every replaced screen lives until then.
    const int destroyedBefore = ReloadableScreen::s_destroyed;
    window().setContentViewController(std::make_unique<ReloadableScreen>());
    s_application->placeScreen<Q7ZWebViewController>();
    EXPECT_FALSE(reloadAction->get_enabled());
    EXPECT_EQ(ReloadableScreen::s_destroyed, destroyedBefore);
    EXPECT_TRUE(pumpUntil([&] { return ReloadableScreen::s_destroyed == destroyedBefore + 2; }));
}

TEST_F(AppShellTest, MainWindowIsDressedAndPlacedAtTheTopLeft) {
    window().show();
    EXPECT_EQ(window().get_title(), localizedString("m753"));
    EXPECT_TRUE(window().get_resizable());
    EXPECT_TRUE(window().get_deletable());
    EXPECT_TRUE(pumpUntil([&] {
        int x = 0, y = 0;
        window().get_position(x, y);
        return x == 100 && y == 100;
    }));
}

TEST_F(AppShellTest, CloseFromCodeHidesTheMainWindowAndKeepsIt) {
    showWindow();
    gtk_window_close(window().Gtk::Window::gobj());
    EXPECT_TRUE(pumpUntil([&] { return !window().get_visible(); })) << "the window is still shown";
    ASSERT_NE(s_application->window(), nullptr);
    EXPECT_EQ(s_application->get_windows(), std::vector<Gtk::Window*>{s_application->window()})
        << "the window left the application";
}

TEST_F(AppShellTest, ForegroundChangesPostTrueThenFalse) {
    std::vector<std::string> posted;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        kWindowsForegroundNotification, [&](const std::string& object) { posted.push_back(object); });
    const auto sendFocus = [&](bool in) {
        GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
        event->focus_change.in = in;
        event->focus_change.window = GDK_WINDOW(g_object_ref(window().get_window()->gobj()));
        gtk_widget_send_focus_change(GTK_WIDGET(window().gobj()), event);
        gdk_event_free(event);
    };
    showWindow();
    sendFocus(false);  // from a known state, whatever showing did to the focus
    posted.clear();

    sendFocus(true);
    sendFocus(false);
    EXPECT_EQ(posted, (std::vector<std::string>{"true", "false"}));
}

}  // namespace
