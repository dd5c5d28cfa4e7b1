#include "app/AppDelegate.h"

#include <algorithm>

#include <giomm/menuitem.h>
#include <glibmm/miscutils.h>
#include <gtkmm/icontheme.h>

#include "EmbeddedPublicKey.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/Q7ZPageDownload.h"
#include "onboarding/SettingCodeFile.h"
#include "onboarding/screens/Q7ZEnterEnterpriseCodeViewController.h"
#include "onboarding/screens/Q7ZMultipleServerSelectViewController.h"
#include "platform/Bundle.h"
#include "platform/LoginItemHelperPaths.h"
#include "platform/NotificationCenter.h"
#include "platform/desktop/Workspace.h"
#include "web/Q7ZSpellChecking.h"
#include "web/Q7ZWebViewController.h"

namespace {

constexpr int kWindowLeft = 100;
constexpr int kWindowTop = 100;
constexpr int kBusCallTimeoutMs = 2000;

std::optional<std::string> resourceImagePath(const std::string& name) {
    return Bundle::mainBundle().pathForResource(name, "png");
}

}  // namespace

Glib::RefPtr<AppDelegate> AppDelegate::create(const std::string& applicationId) {
    return Glib::RefPtr<AppDelegate>(new AppDelegate(applicationId));
}

AppDelegate::AppDelegate(const std::string& applicationId) : Gtk::Application(applicationId) {
    signal_shutdown().connect(sigc::mem_fun(*this, &AppDelegate::on_application_shutdown));
}

AppDelegate::~AppDelegate() = default;

Glib::RefPtr<Gio::Application> AppDelegate::notifyingApplication() { return Glib::wrap(G_APPLICATION(gobj()), true); }

void AppDelegate::on_startup() {
    Gtk::Application::on_startup();
    addApplicationActions();
    m_window = std::make_unique<Q7ZMainWindow>();
    // Not add_window(): gtkmm drops a window from the application when it is hidden, and the
    // hidden main window must stay one of the application's windows (reopen shows it again,
    // and it keeps the application running).
    gtk_application_add_window(gobj(), m_window->Gtk::Window::gobj());
    m_window->signal_delete_event().connect(sigc::mem_fun(*this, &AppDelegate::on_window_delete_event));
    m_window->property_is_active().signal_changed().connect(
        sigc::mem_fun(*this, &AppDelegate::on_window_is_active_changed));
    applicationDidFinishLaunching();
}

void AppDelegate::on_activate() { applicationShouldHandleReopen(m_window && m_window->get_visible()); }

void AppDelegate::on_application_shutdown() {
    applicationWillTerminate();
    m_statusItem.reset();
    m_attention.reset();
    if (m_window) {
        gtk_application_remove_window(gobj(), m_window->Gtk::Window::gobj());
        m_window.reset();
    }
}

void AppDelegate::addApplicationActions() {
    add_action(kQuitActionName, [this] { terminate(); });
    m_changeServerAction = add_action(kChangeServerActionName, sigc::mem_fun(*this, &AppDelegate::changeServer));
    set_accel_for_action(std::string("app.") + kQuitActionName, "<Primary>q");
    set_accel_for_action(std::string("win.") + Q7ZMainWindow::kReloadActionName, "<Primary>r");
    set_accel_for_action(std::string("win.") + Q7ZMainWindow::kShowDownloadsActionName, "<Primary><Shift>y");
    set_accel_for_action("win.find", "<Primary>f");
    set_accel_for_action("win.print", "<Primary>p");
    m_checkSpellingAction = add_action_bool(kCheckSpellingActionName, Q7ZSpellChecking::isEnabled());
    m_checkSpellingAction->signal_change_state().connect([this](const Glib::VariantBase& state) {
        const bool on = Glib::VariantBase::cast_dynamic<Glib::Variant<bool>>(state).get();
        m_checkSpellingAction->set_state(state);
        Q7ZSpellChecking::setEnabled(on);
    });
    set_accels_for_action(std::string("win.") + Q7ZMainWindow::kZoomInActionName,
                          {"<Primary>equal", "<Primary>plus", "<Primary>KP_Add"});
    set_accels_for_action(std::string("win.") + Q7ZMainWindow::kZoomOutActionName,
                          {"<Primary>minus", "<Primary>KP_Subtract"});
    set_accels_for_action(std::string("win.") + Q7ZMainWindow::kZoomActualSizeActionName,
                          {"<Primary>0", "<Primary>KP_0"});
}

void AppDelegate::applicationDidFinishLaunching() {
    m_isRestart = false;
    m_launcherEntry = std::make_unique<LauncherEntry>(get_id());
    m_attention = std::make_unique<Attention>(*m_window, m_launcherEntry.get());
    dressMainWindow();
    // The first screen before the menus and the status item: the web host starts loading its
    // page at once, and the engine's processes start while the rest of start-up runs.
    placeFirstScreen();
    setMenuBar();
    m_window->show();
    m_attention->request();
}

void AppDelegate::dressMainWindow() {
    // X11 measures from the screen's top-left corner, so the top-left corner sits at (100, 100)
    // on every screen size.
    m_window->set_gravity(Gdk::GRAVITY_NORTH_WEST);
    m_window->move(kWindowLeft, kWindowTop);
}

// The page's own commands. The editing keys are shown, not bound: the page handles them itself,
// and a binding would take them from the other windows' text fields too.
Glib::RefPtr<Gio::Menu> AppDelegate::editMenu() {
    struct Entry {
        const char* labelKey;
        std::string action;
        const char* shownKeys;
    };
    const std::vector<std::vector<Entry>> sections = {
        {{"Undo", "win.undo", "<Primary>z"}, {"Redo", "win.redo", "<Primary><Shift>z"}},
        {{"Cut", "win.cut", "<Primary>x"}, {"Copy", "win.copy", "<Primary>c"}, {"Paste", "win.paste", "<Primary>v"}},
        {{"SelectAll", "win.selectAll", "<Primary>a"}},
        {{"Find", "win.find", nullptr}},
        {{"CheckSpelling", std::string("app.") + kCheckSpellingActionName, nullptr}},
    };
    auto menu = Gio::Menu::create();
    for (const auto& entries : sections) {
        auto section = Gio::Menu::create();
        for (const Entry& entry : entries) {
            auto item = Gio::MenuItem::create(localizedString(entry.labelKey), entry.action);
            if (entry.shownKeys)
                item->set_attribute_value("accel", Glib::Variant<Glib::ustring>::create(entry.shownKeys));
            section->append_item(item);
        }
        menu->append_section(section);
    }
    return menu;
}

void AppDelegate::setMenuBar() {
    auto reloadSection = Gio::Menu::create();
    reloadSection->append(localizedString("Reload"), std::string("win.") + Q7ZMainWindow::kReloadActionName);
    reloadSection->append(localizedString("ChangeServer"), std::string("app.") + kChangeServerActionName);
    auto printSection = Gio::Menu::create();
    printSection->append(localizedString("Print"), "win.print");
    auto downloadsSection = Gio::Menu::create();
    downloadsSection->append(localizedString("Downloads"),
                             std::string("win.") + Q7ZMainWindow::kShowDownloadsActionName);
    auto quitSection = Gio::Menu::create();
    quitSection->append(localizedString("Quit"), std::string("app.") + kQuitActionName);
    auto fileMenu = Gio::Menu::create();
    fileMenu->append_section(reloadSection);
    fileMenu->append_section(printSection);
    fileMenu->append_section(downloadsSection);
    fileMenu->append_section(quitSection);
    auto menuBar = Gio::Menu::create();
    menuBar->append_submenu(localizedString("File"), fileMenu);
    menuBar->append_submenu(localizedString("Edit"), editMenu());
    auto viewMenu = Gio::Menu::create();
    viewMenu->append(localizedString("ZoomIn"), std::string("win.") + Q7ZMainWindow::kZoomInActionName);
    viewMenu->append(localizedString("ZoomOut"), std::string("win.") + Q7ZMainWindow::kZoomOutActionName);
    viewMenu->append(localizedString("ActualSize"), std::string("win.") + Q7ZMainWindow::kZoomActualSizeActionName);
    menuBar->append_submenu(localizedString("View"), viewMenu);
    set_menubar(menuBar);
    m_window->set_show_menubar(true);

    addStatusItem();

    const std::string title = localizedString("m753");
    m_window->set_title(title);
    if (auto favicon = resourceImagePath("favicon")) m_window->set_icon_from_file(*favicon);
    else m_window->set_icon_name(get_id());
}

void AppDelegate::addStatusItem() {
    StatusItem::Options options;
    options.id = get_id();
    options.title = localizedString("m753");
    options.toolTip = localizedString("m753");
    options.iconPath = resourceImagePath("icon").value_or("");
    options.iconName = get_id();
    options.menuLabels = {localizedString("Show"), localizedString("Quit"), localizedString("Downloads")};
    StatusItem::Callbacks callbacks;
    callbacks.onActivate = [this] { statusItemClick(); };
    callbacks.onQuit = [this] { terminate(); };
    callbacks.onShowDownloads = [this] {
        if (m_window) m_window->activate_action(Q7ZMainWindow::kShowDownloadsActionName);
    };
    m_statusItem = std::make_unique<StatusItem>(std::move(options), std::move(callbacks));
}

Q7ZScreenHost::Screen AppDelegate::chooseFirstScreen() {
    auto& remoteConfig = Q7ZRemoteConfigSingleton::getInstance();
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    // An administrator may have chosen the servers for every user of this computer.
    if (!remoteConfig.hasStoredServers()) SettingCodeFile::applyProvisioned(BuildConfig::kEmbeddedPublicKeyPem);
    if (remoteConfig.serverListJsonString().empty()) return Screen::EnterEnterpriseCode;
    const auto servers = remoteConfig.getServerUrlDataList();
    if (servers.size() == 1) settings.setServerSequence(servers.front().sequence);
    settings.saveConfig();
    // The stored sequence is not looked up in the list: the web host handles a missing server.
    if (settings.serverSequence() != Q7ZAppSettingConfigSingleton::kNoServerSequence) return Screen::WebView;
    return Screen::MultipleServerSelect;
}

void AppDelegate::placeFirstScreen() { showScreen(chooseFirstScreen()); }

void AppDelegate::changeServer() {
    const int choice = dialogs().showAlert(localizedString("ChangeServerConfirm"), AlertStyle::Warning,
                                           {localizedString("m9"), localizedString("m10")});
    if (choice != 0) return;
    const auto servers = Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList();
    showScreen(servers.size() >= 2 ? Screen::MultipleServerSelect : Screen::EnterEnterpriseCode);
}

void AppDelegate::showScreen(Screen screen) {
    // Only the web app has a server to leave.
    if (m_changeServerAction) m_changeServerAction->set_enabled(screen == Screen::WebView);
    switch (screen) {
    case Screen::EnterEnterpriseCode:
        installScreen(std::make_unique<Q7ZEnterEnterpriseCodeViewController>(*this));
        break;
    case Screen::MultipleServerSelect:
        installScreen(std::make_unique<Q7ZMultipleServerSelectViewController>(*this));
        break;
    case Screen::WebView: installScreen(std::make_unique<Q7ZWebViewController>(*this)); break;
    }
}

void AppDelegate::installScreen(std::unique_ptr<Q7ZViewController> controller) {
    g_debug("The main window shows %s", controller ? controller->className().c_str() : "nothing");
    m_window->setContentViewController(std::move(controller));
}

void AppDelegate::statusItemClick() { bringAllWindowsForward(); }

bool AppDelegate::applicationShouldHandleReopen(bool) {
    bringAllWindowsForward();
    return true;
}

void AppDelegate::bringAllWindowsForward() {
    // get_windows() is front-most first; raising from the back keeps their order.
    const auto windows = get_windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        (*it)->show();
        if (auto gdkWindow = (*it)->get_window()) gdkWindow->raise();
    }
    if (!windows.empty()) windows.front()->present();
}

bool AppDelegate::on_window_delete_event(GdkEventAny*) { return !windowShouldClose(); }

bool AppDelegate::windowShouldClose() {
    m_window->hide();
    return false;
}

void AppDelegate::on_window_is_active_changed() {
    if (m_window->is_active()) windowDidBecomeMain();
    else windowDidResignMain();
}

void AppDelegate::windowDidBecomeMain() {
    NotificationCenter::defaultCenter().post(kWindowsForegroundNotification, "true");
}

void AppDelegate::windowDidResignMain() {
    NotificationCenter::defaultCenter().post(kWindowsForegroundNotification, "false");
}

void AppDelegate::terminate() {
    if (mayStopRunningDownloads(false)) quit();
}

// Declined, the program runs on; a new setting it was to restart for takes effect at the next start.
void AppDelegate::requestRestart() {
    if (!mayStopRunningDownloads(true)) return;
    m_isRestart = true;
    quit();
}

// Downloads still running would stop, and lose what they have fetched: the user says so first.
bool AppDelegate::mayStopRunningDownloads(bool restart) {
    const auto records = Q7ZDownloadDataSingleton::getInstance().getAllDownloadDataArray();
    const auto running = std::count_if(records.begin(), records.end(), [](const auto& record) {
        return record->currentstatus() == Q7ZDownloadStatus::Downloading;
    });
    if (running == 0) return true;
    const std::string message = running == 1 ? localizedString("DownloadStillRunning")
                                             : localizedFormat("DownloadsStillRunning", std::to_string(running));
    return m_dialogs.showAlert(message, AlertStyle::Warning,
                               {localizedString(restart ? "RestartAnyway" : "QuitAnyway"), localizedString("m10")},
                               localizedString(restart ? "DownloadsStopOnRestart" : "DownloadsStopOnQuit")) == 0;
}

void AppDelegate::applicationWillTerminate() {
    Q7ZPageDownload::removePartialFiles();  // unfinished downloads leave nothing behind
    if (!m_isRestart) return;
    m_isRestart = false;
    startLoginItemHelper();
}

void AppDelegate::startLoginItemHelper() {
    // The helper starts the application only when no instance owns the id any more. This one
    // is on its way out: give the name up now, so a slow exit does not cancel the restart.
    releaseBusName();
    Workspace().launchProgram(LoginItemHelperPaths::executablePath());
}

void AppDelegate::releaseBusName() {
    GDBusConnection* connection = get_dbus_connection() ? get_dbus_connection()->gobj() : nullptr;
    if (!connection || get_id().empty()) return;
    GVariantPtr reply(g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "ReleaseName",
                                                  g_variant_new("(s)", get_id().c_str()), G_VARIANT_TYPE("(u)"),
                                                  G_DBUS_CALL_FLAGS_NONE, kBusCallTimeoutMs, nullptr, nullptr));
}
