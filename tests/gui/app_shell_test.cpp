// The application shell in-process: the application is registered on the test program's own
// bus (once for the program), which runs its start-up (window, menus, first screen) without a main loop of its own;
// the test then drives the window through GTK and pumps the main context with a time limit.
// Proves the "File" menu as drawn (Reload, separator, Quit), its accelerators, the Reload
// action following the shown screen, hide instead of close for a close from code, the
// foreground notification's strings and the current-screen action.

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
#include "support/gui/MainLoopPump.h"

namespace {

class ReloadableScreen : public Q7ZViewController {
public:
    Gtk::Widget& view() override { return m_view; }
    std::string className() const override { return "ReloadableScreen"; }
    bool respondsToReloadWebView() const override { return true; }
    void reloadWebView() override { ++reloads; }

    int reloads = 0;

private:
    Gtk::Label m_view{"reloadable"};
};

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
        ASSERT_NE(s_application->window(), nullptr);
        pumpFor(std::chrono::milliseconds(50));
    }

    static void TearDownTestSuite() {
        s_application.reset();
        s_home.reset();
    }

    void SetUp() override { ASSERT_TRUE(s_application && s_application->window()); m_application = s_application; }

    Q7ZMainWindow& window() { return *m_application->window(); }

    std::string currentScreenState() {
        auto state = m_application->get_action_state_variant(AppDelegate::kCurrentScreenActionName);
        return Glib::VariantBase::cast_dynamic<Glib::Variant<Glib::ustring>>(state).get();
    }

    // The File menu drawn from the application's menu model.
    std::vector<Gtk::Widget*> drawnFileMenuItems(Gtk::Menu& menu) {
        pumpFor(std::chrono::milliseconds(20));
        return menu.get_children();
    }

    Glib::RefPtr<Gio::MenuModel> fileMenuModel() {
        auto menuBar = m_application->get_menubar();
        EXPECT_EQ(menuBar->get_n_items(), 1);
        auto label = menuBar->get_item_attribute(0, Gio::MENU_ATTRIBUTE_LABEL, Glib::VARIANT_TYPE_STRING);
        EXPECT_EQ(Glib::VariantBase::cast_dynamic<Glib::Variant<Glib::ustring>>(label).get(), "File");
        return menuBar->get_item_link(0, Gio::MENU_LINK_SUBMENU);
    }

    void sendFocus(bool in) {
        GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
        event->focus_change.in = in;
        event->focus_change.window = GDK_WINDOW(g_object_ref(window().get_window()->gobj()));
        gtk_widget_send_focus_change(GTK_WIDGET(window().gobj()), event);
        gdk_event_free(event);
    }

    static inline std::unique_ptr<TempHome> s_home;
    static inline Glib::RefPtr<AppDelegate> s_application;
    Glib::RefPtr<AppDelegate> m_application;
};

TEST_F(AppShellTest, FileMenuHoldsReloadThenASeparatorThenQuit) {
    auto model = fileMenuModel();
    ASSERT_TRUE(model);
    Gtk::Menu menu(model);
    const auto items = drawnFileMenuItems(menu);

    ASSERT_EQ(items.size(), 3u);
    auto* reload = dynamic_cast<Gtk::MenuItem*>(items[0]);
    ASSERT_NE(reload, nullptr);
    EXPECT_EQ(reload->get_label(), localizedString("Reload"));
    EXPECT_NE(dynamic_cast<Gtk::SeparatorMenuItem*>(items[1]), nullptr) << "no separator at index 1";
    auto* quit = dynamic_cast<Gtk::MenuItem*>(items[2]);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->get_label(), "Quit");
}

TEST_F(AppShellTest, ReloadIsControlRAndQuitIsControlQ) {
    EXPECT_EQ(m_application->get_accels_for_action("win.reloadWebView"), std::vector<Glib::ustring>{"<Primary>r"});
    EXPECT_EQ(m_application->get_accels_for_action("app.quit"), std::vector<Glib::ustring>{"<Primary>q"});
}

TEST_F(AppShellTest, ReloadIsEnabledOnlyForAScreenThatAnswersIt) {
    auto reloadAction = Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(window().lookup_action("reloadWebView"));
    ASSERT_TRUE(reloadAction);
    EXPECT_EQ(currentScreenState(), "Q7ZWebViewController");
    EXPECT_FALSE(reloadAction->get_enabled()) << "the placeholder web host does not reload";

    auto& screen = m_application->placeScreen<ReloadableScreen>();
    EXPECT_EQ(currentScreenState(), "ReloadableScreen");
    EXPECT_EQ(window().contentViewController(), &screen);
    EXPECT_TRUE(reloadAction->get_enabled());
    reloadAction->activate();
    EXPECT_EQ(screen.reloads, 1);

    m_application->placeScreen<Q7ZWebViewController>();
    EXPECT_FALSE(reloadAction->get_enabled());
    pumpFor(std::chrono::milliseconds(20));  // the replaced screen goes once the loop is idle
}

TEST_F(AppShellTest, MainWindowIsDressedAndPlacedAtTheTopLeft) {
    window().show();
    EXPECT_EQ(window().get_title(), localizedString("m753"));
    EXPECT_TRUE(window().get_resizable());
    EXPECT_TRUE(window().get_deletable());
    const bool placed = pumpUntil([&] {
        int x = 0, y = 0;
        window().get_position(x, y);
        return x == 100 && y == 100;
    });
    EXPECT_TRUE(placed);
}

TEST_F(AppShellTest, CloseFromCodeHidesTheMainWindowAndKeepsIt) {
    window().show();
    ASSERT_TRUE(pumpUntil([&] { return window().get_mapped(); }));

    gtk_window_close(window().Gtk::Window::gobj());
    EXPECT_TRUE(pumpUntil([&] { return !window().get_visible(); })) << "the window is still shown";

    ASSERT_NE(m_application->window(), nullptr);
    const auto windows = m_application->get_windows();
    EXPECT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.empty() ? nullptr : windows.front(), m_application->window()) << "the window left the application";
}

TEST_F(AppShellTest, ForegroundChangesPostTrueThenFalse) {
    std::vector<std::string> posted;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        kWindowsForegroundNotification, [&](const std::string& object) { posted.push_back(object); });
    window().show();
    ASSERT_TRUE(pumpUntil([&] { return window().get_mapped(); }));
    sendFocus(false);  // from a known state, whatever showing did to the focus
    posted.clear();

    sendFocus(true);
    sendFocus(false);

    EXPECT_EQ(posted, (std::vector<std::string>{"true", "false"}));
}

}  // namespace
