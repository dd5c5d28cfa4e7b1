#pragma once
// The web host: the main window's screen once a server is chosen. It hosts the organisation's
// web application in one web view, loaded from the chosen server's login page in the
// program's persistent web context, and serves that view and every popup view alike: the
// scripting bridge (this class answers its eleven operations), and for the organisation's pages
// only the page's dialogs, notifications, camera and microphone, printing and link and image
// commands; file inputs, spelling, the navigation policy and the one popup window. Notices,
// sound and badge go to Q7ZWebNotices, downloads and the downloads window to Q7ZWebDownloads.
// It owns the settings window while open, and the find bar once asked for, and is the settings
// window's delegate.
//
// The page learns from it when the main window comes forward or goes back
// (parlorMain.setActiveForm), the session language before a restart, and a confirmed logout.

#include <memory>
#include <string>

#include <gtkmm/box.h>
#include <webkit2/webkit2.h>

#include "controls/Q7ZScreenHost.h"
#include "controls/Q7ZViewController.h"
#include "platform/GObjectPtr.h"
#include "platform/NotificationCenter.h"
#include "platform/desktop/Dialogs.h"
#include "settings/Q7ZSettingWindow.h"
#include "settings/Q7ZSettingWindowDelegate.h"
#include "web/Q7ZContextMenu.h"
#include "web/Q7ZFileInputs.h"
#include "web/Q7ZFindBar.h"
#include "web/Q7ZMainViewRecovery.h"
#include "web/Q7ZMediaPermissions.h"
#include "web/Q7ZPageBridge.h"
#include "web/Q7ZPageDialogs.h"
#include "web/Q7ZPageNotifications.h"
#include "web/Q7ZPagePrinter.h"
#include "web/Q7ZPageZoom.h"
#include "web/Q7ZPopupWindow.h"
#include "web/Q7ZWebDownloads.h"
#include "web/Q7ZWebNotices.h"
#include "web/Q7ZWebPolicy.h"
#include "web/policy/Q7ZOrganisationPages.h"
#include "web/policy/Q7ZPageBridgeHandler.h"

class Q7ZWebViewController : public Q7ZViewController, public Q7ZPageBridgeHandler, public Q7ZSettingWindowDelegate {
public:
    static constexpr int kMinimumContentWidth = 800;
    static constexpr int kMinimumContentHeight = 600;

    explicit Q7ZWebViewController(Q7ZScreenHost& host);
    ~Q7ZWebViewController() override;

    Gtk::Widget& view() override { return m_rootView; }
    std::string className() const override { return "Q7ZWebViewController"; }
    bool respondsToReloadWebView() const override { return true; }
    void reloadWebView() override;
    bool respondsToShowDownloads() const override { return true; }
    void showDownloads() override { m_downloads.showDownloaderWindow(); }
    bool respondsToZoom() const override { return true; }
    void zoom(Zoom zoom) override;
    bool respondsToPageCommands() const override { return true; }
    void runPageCommand(PageCommand command) override;

    EnterpriseInfo getEnterpriseInfo() override;
    void noticeEvent() override;
    void showNotice(const std::string& jsonText) override;
    void showIMNotice(const std::string& jsonText) override;
    void showInviteNotice(const std::string& jsonText) override;
    void openSettingWindow() override;
    void navigateToLogoutPage() override;
    void exitApplication() override;
    void changeBadge(std::optional<double> value) override;
    std::string getOSVersion() override;
    bool checkIsZoomInstalled() override;

    void settingWindowWillClose(Q7ZSettingWindow& window) override;
    void settingWindowWillCloseByChangeLanguage(Q7ZSettingWindow& window) override;
    void settingWindowWillCloseByChangeServer(Q7ZSettingWindow& window) override;

private:
    void viewDidLoad();
    void loadLoginPage();
    static void on_webView_load_changed(WebKitWebView* view, WebKitLoadEvent event, gpointer);
    // The bridge, policy, dialogs, file inputs and popup for a view of this controller.
    void serveView(WebKitWebView* view);
    // Runs script in the main view's page; its result and exceptions are of no interest.
    void evaluateScript(const std::string& script);
    void windowsForegroundStatusDidChange(const std::string& object);
    bool confirm(const char* messageKey);
    void closeSettingWindow();
    void restartWithSessionLocale();
    void startDownloadFileWithUrlRequest(WebKitURIRequest* request);
    void openFindBar();

    Q7ZScreenHost& m_host;
    Dialogs& m_dialogs;
    Gtk::Window& m_mainWindow;
    Gtk::Box m_rootView{Gtk::ORIENTATION_VERTICAL};
    // The chosen server's pages; a change of server restarts the program.
    const Q7ZOrganisationPages m_organisationPages;
    GObjectPtr<WebKitWebView> m_webView;
    // Connected before the policy, so that it hears of a failed load first.
    Q7ZMainViewRecovery m_recovery;
    Q7ZPageBridge m_bridge;
    Q7ZPageDialogs m_pageDialogs;
    Q7ZFileInputs m_fileInputs;
    Q7ZWebNotices m_notices;
    Q7ZPageNotifications m_pageNotifications;
    Q7ZMediaPermissions m_mediaPermissions;
    Q7ZPageZoom m_zoom;
    Q7ZPagePrinter m_printer;
    Q7ZContextMenu m_contextMenu;
    Q7ZWebDownloads m_downloads;
    Q7ZPopupWindow m_popup;
    std::unique_ptr<Q7ZWebPolicy> m_policy;
    std::unique_ptr<Q7ZSettingWindow> m_settingWindow;
    std::unique_ptr<Q7ZFindBar> m_findBar;  // above the page, once asked for
    NotificationCenter::Observation m_foregroundObservation;
};
