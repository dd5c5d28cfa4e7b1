#include "web/Q7ZWebViewController.h"

#include <gtkmm/window.h>

#include "common/PageScript.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "controls/ReleaseWhenIdle.h"
#include "platform/Bundle.h"
#include "platform/OsRelease.h"
#include "platform/desktop/Workspace.h"
#include "utility/Q7ZACUtility.h"
#include "web/Q7ZSpellChecking.h"
#include "web/Q7ZWebContext.h"

namespace {

Q7ZWebNotices::Desktop desktopOf(Q7ZScreenHost& host) {
    return {host.notifyingApplication(), &host.mainWindow(), host.launcherEntry(), host.attention()};
}

}  // namespace

Q7ZWebViewController::Q7ZWebViewController(Q7ZScreenHost& host)
    : m_host(host),
      m_dialogs(host.dialogs()),
      m_mainWindow(host.mainWindow()),
      m_organisationPages(Q7ZACUtility::getServerUrl()),
      m_webView(Q7ZWebContext::newWebView()),
      m_recovery(m_webView.get(), [this] { loadLoginPage(); }),
      m_bridge(
          *this, [this](const auto& request) { return m_pageDialogs.answer(request); }, m_organisationPages),
      m_pageDialogs(m_dialogs),
      m_fileInputs(m_dialogs),
      m_notices(desktopOf(host), [this](const std::string& script) { evaluateScript(script); }),
      m_pageNotifications(m_notices, m_organisationPages, Q7ZACUtility::getServerUrl()),
      m_mediaPermissions(m_dialogs, m_organisationPages),
      m_printer(m_dialogs, m_organisationPages),
      m_contextMenu(m_organisationPages),
      m_downloads(m_dialogs, host.launcherEntry(), m_organisationPages, &m_mainWindow,
                  [this](const std::string& path) { m_notices.announceDownloadFinished(path); }),
      m_popup(m_mainWindow, [this](WebKitWebView* view) { serveView(view); }) {
    m_policy =
        std::make_unique<Q7ZWebPolicy>(m_webView.get(), m_organisationPages, m_popup, m_dialogs,
                                       [this](WebKitURIRequest* request) { startDownloadFileWithUrlRequest(request); });
    viewDidLoad();
    // Once for the controller's life, however often the window is shown again.
    m_foregroundObservation = NotificationCenter::defaultCenter().addObserver(
        kWindowsForegroundNotification,
        [this](const std::string& object) { windowsForegroundStatusDidChange(object); });
}

Q7ZWebViewController::~Q7ZWebViewController() { m_popup.close(); }

void Q7ZWebViewController::viewDidLoad() {
    m_mainWindow.set_resizable(true);
    m_mainWindow.resize(kMinimumContentWidth, kMinimumContentHeight);
    m_rootView.set_size_request(kMinimumContentWidth, kMinimumContentHeight);
    serveView(m_webView.get());
    g_signal_connect(m_webView.get(), "load-changed", G_CALLBACK(&Q7ZWebViewController::on_webView_load_changed),
                     nullptr);
    // Started before the window maps, so the engine's processes start while GTK finishes.
    loadLoginPage();
    Gtk::Widget& content = m_recovery.widget();
    content.set_hexpand(true);
    content.set_vexpand(true);
    m_rootView.pack_start(content, Gtk::PACK_EXPAND_WIDGET);
    content.show();
}

void Q7ZWebViewController::loadLoginPage() {
    if (Q7ZACUtility::getServerUrl().empty()) {
        g_warning("the chosen server is not among the stored servers: there is no page to load");
        m_recovery.showFailure({Q7ZLoadFailure::Kind::NoServer, "", std::nullopt});
        return;
    }
    webkit_web_view_load_uri(m_webView.get(), Q7ZACUtility::getLoginPageUrl().c_str());
}

void Q7ZWebViewController::serveView(WebKitWebView* view) {
    m_zoom.attach(view);
    m_bridge.attach(view);
    m_fileInputs.attach(view);
    m_pageNotifications.attach(view);
    m_mediaPermissions.attach(view);
    m_printer.attach(view);
    m_contextMenu.attach(view);
    Q7ZSpellChecking::attach(view);
    m_policy->attach(view);
    m_popup.attach(view);
}

void Q7ZWebViewController::on_webView_load_changed(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
    if (event == WEBKIT_LOAD_FINISHED) g_debug("the page %s has loaded", webkit_web_view_get_uri(view));
}

void Q7ZWebViewController::reloadWebView() { m_recovery.reload(); }

void Q7ZWebViewController::runPageCommand(PageCommand command) {
    static constexpr const char* kEditingCommands[] = {WEBKIT_EDITING_COMMAND_UNDO,  WEBKIT_EDITING_COMMAND_REDO,
                                                       WEBKIT_EDITING_COMMAND_CUT,   WEBKIT_EDITING_COMMAND_COPY,
                                                       WEBKIT_EDITING_COMMAND_PASTE, WEBKIT_EDITING_COMMAND_SELECT_ALL};
    if (command == PageCommand::Find) openFindBar();
    else if (command == PageCommand::Print) m_printer.print(m_webView.get());
    else webkit_web_view_execute_editing_command(m_webView.get(), kEditingCommands[static_cast<int>(command)]);
}

// Made when first asked for: start-up need not wait for its widgets and icons.
void Q7ZWebViewController::openFindBar() {
    if (!m_findBar) {
        m_findBar = std::make_unique<Q7ZFindBar>(m_webView.get());
        m_rootView.pack_start(*m_findBar, Gtk::PACK_SHRINK);
        m_rootView.reorder_child(*m_findBar, 0);
    }
    m_findBar->open();
}

void Q7ZWebViewController::zoom(Zoom zoom) {
    using Step = Q7ZZoomLevels::Step;
    m_zoom.step(zoom == Zoom::In ? Step::In : zoom == Zoom::Out ? Step::Out : Step::ActualSize);
}

void Q7ZWebViewController::evaluateScript(const std::string& script) {
    webkit_web_view_evaluate_javascript(m_webView.get(), script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
}

// The object is the text "true" or "false", handed to the page as a boolean.
void Q7ZWebViewController::windowsForegroundStatusDidChange(const std::string& object) {
    if (object == "true" || object == "false")
        evaluateScript(PageScript::call("parlorMain.setActiveForm", {object == "true"}));
    else evaluateScript(PageScript::call("parlorMain.setActiveForm", {object}));
}

Q7ZPageBridgeHandler::EnterpriseInfo Q7ZWebViewController::getEnterpriseInfo() {
    const auto& remoteConfig = Q7ZRemoteConfigSingleton::getInstance();
    return {remoteConfig.remoteTitle(), remoteConfig.remoteTitleIcon()};
}

void Q7ZWebViewController::noticeEvent() { m_notices.noticeEvent(); }

void Q7ZWebViewController::showNotice(const std::string& jsonText) {
    m_notices.showNotice(Q7ZDesktopNotifyType::Notice, jsonText);
}

void Q7ZWebViewController::showIMNotice(const std::string& jsonText) {
    m_notices.showNotice(Q7ZDesktopNotifyType::IMNotice, jsonText);
}

void Q7ZWebViewController::showInviteNotice(const std::string& jsonText) {
    m_notices.showNotice(Q7ZDesktopNotifyType::InviteNotice, jsonText);
}

void Q7ZWebViewController::changeBadge(std::optional<double> value) { m_notices.changeBadge(value); }

// The program's build first, then the system in parentheses: "512(Debian GNU/Linux 12)".
std::string Q7ZWebViewController::getOSVersion() {
    const std::string build = Bundle::mainBundle().infoValue("CFBundleVersion").value_or("");
    return build + "(" + OsRelease::nameAndVersion() + ")";
}

bool Q7ZWebViewController::checkIsZoomInstalled() { return Workspace().hasHandlerForScheme("zoommtg"); }

void Q7ZWebViewController::openSettingWindow() {
    if (!m_settingWindow) {
        m_settingWindow = std::make_unique<Q7ZSettingWindow>(m_dialogs);
        m_settingWindow->setSettingDelegate(this);
    }
    m_settingWindow->set_transient_for(m_mainWindow);
    m_settingWindow->present();
}

void Q7ZWebViewController::navigateToLogoutPage() {
    if (!confirm("m346")) return;
    evaluateScript(PageScript::call("parlorMain.logout"));
    m_downloads.cancelAndClearEngineDownloads();
    m_pageNotifications.closeAll();
    m_notices.withdrawAll();
}

void Q7ZWebViewController::exitApplication() {
    if (confirm("m749")) m_host.terminate();
}

bool Q7ZWebViewController::confirm(const char* messageKey) {
    return m_dialogs.showAlert(localizedString(messageKey), AlertStyle::Warning,
                               {localizedString("m9"), localizedString("m10")}) == 0;
}

void Q7ZWebViewController::settingWindowWillClose(Q7ZSettingWindow&) {
    closeSettingWindow();
    m_notices.resetNotifySound();
}

void Q7ZWebViewController::settingWindowWillCloseByChangeLanguage(Q7ZSettingWindow&) { restartWithSessionLocale(); }

void Q7ZWebViewController::settingWindowWillCloseByChangeServer(Q7ZSettingWindow&) { restartWithSessionLocale(); }

void Q7ZWebViewController::restartWithSessionLocale() {
    evaluateScript(
        PageScript::call("parlorMain.setSessionLocale", {Q7ZAppSettingConfigSingleton::getInstance().language()}));
    closeSettingWindow();
    m_host.requestRestart();
}

void Q7ZWebViewController::closeSettingWindow() {
    if (!m_settingWindow) return;
    m_settingWindow->setSettingDelegate(nullptr);
    m_settingWindow->hide();
    releaseWhenIdle(std::move(m_settingWindow));
}

void Q7ZWebViewController::startDownloadFileWithUrlRequest(WebKitURIRequest* request) {
    m_downloads.startPageDownload(m_webView.get(), request);
}
