#pragma once
// The page's own notifications (the Web Notification API), for the organisation's pages only.
// While desktop notifications are on in the settings, Notification.permission is "granted" and
// requestPermission() answers so without asking. While they are off, nothing is shown, and
// requestPermission() and the Permissions API answer "denied" without asking (a page whose engine
// process learnt "granted" keeps that answer until the next start). A notification goes to the
// desktop as the bridge's notices do, its text shown literally and without sound (the page asks
// for sound through the bridge); a click brings the main window forward and fires the page's
// click event, the page's close() withdraws it, and one with an earlier one's tag replaces it.
// Other pages' notifications and requests are refused. Main thread only.

#include <map>
#include <memory>
#include <string>

#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "web/Q7ZWebNotices.h"
#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZPageNotifications {
public:
    Q7ZPageNotifications(Q7ZWebNotices& notices, const Q7ZOrganisationPages& pages, const std::string& serverUrl);
    ~Q7ZPageNotifications();
    Q7ZPageNotifications(const Q7ZPageNotifications&) = delete;
    Q7ZPageNotifications& operator=(const Q7ZPageNotifications&) = delete;

    // Connect before the view's other permission handlers: this one answers notification requests.
    void attach(WebKitWebView* view);
    // Closes every notification the pages have shown, as their close() would.
    void closeAll();

private:
    struct Shown {
        GObjectPtr<WebKitNotification> notification;
        std::string desktopId;
    };

    bool mayNotify(WebKitWebView* view) const;
    void show(WebKitNotification* notification);
    void clicked(const std::string& key);
    static gboolean on_view_showNotification(WebKitWebView* view, WebKitNotification* notification, gpointer self);
    static gboolean on_view_queryPermissionState(WebKitWebView* view, WebKitPermissionStateQuery* query, gpointer self);
    static gboolean on_view_permissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer self);
    static void on_context_initializeNotificationPermissions(WebKitWebContext* context, gpointer self);
    static void on_notification_closed(WebKitNotification* notification, gpointer self);

    Q7ZWebNotices& m_notices;
    const Q7ZOrganisationPages& m_pages;
    struct OriginUnref {
        void operator()(WebKitSecurityOrigin* origin) const { webkit_security_origin_unref(origin); }
    };
    std::unique_ptr<WebKitSecurityOrigin, OriginUnref> m_origin;  // the organisation's; none without a server
    std::map<std::string, Shown> m_shown;                         // by the engine's id
};
