#include "web/Q7ZPageNotifications.h"

#include <vector>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "web/Q7ZWebContext.h"

namespace {

bool notificationsAreOn() { return Q7ZAppSettingConfigSingleton::getInstance().isDesktopNotifications(); }

}  // namespace

Q7ZPageNotifications::Q7ZPageNotifications(Q7ZWebNotices& notices, const Q7ZOrganisationPages& pages,
                                           const std::string& serverUrl)
    : m_notices(notices), m_pages(pages) {
    if (!serverUrl.empty()) m_origin.reset(webkit_security_origin_new_for_uri(serverUrl.c_str()));
    g_signal_connect(Q7ZWebContext::shared(), "initialize-notification-permissions",
                     G_CALLBACK(&Q7ZPageNotifications::on_context_initializeNotificationPermissions), this);
    m_notices.setPageNotificationClickHandler([this](const std::string& key) { clicked(key); });
}

Q7ZPageNotifications::~Q7ZPageNotifications() {
    m_notices.setPageNotificationClickHandler(nullptr);
    g_signal_handlers_disconnect_by_data(Q7ZWebContext::shared(), this);
    for (auto& [key, shown] : m_shown) g_signal_handlers_disconnect_by_data(shown.notification.get(), this);
}

void Q7ZPageNotifications::attach(WebKitWebView* view) {
    g_signal_connect(view, "show-notification", G_CALLBACK(&Q7ZPageNotifications::on_view_showNotification), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(&Q7ZPageNotifications::on_view_permissionRequest), this);
    g_signal_connect(view, "query-permission-state", G_CALLBACK(&Q7ZPageNotifications::on_view_queryPermissionState),
                     this);
}

bool Q7ZPageNotifications::mayNotify(WebKitWebView* view) const {
    const char* uri = webkit_web_view_get_uri(view);
    return notificationsAreOn() && m_pages.contains(uri ? uri : "");
}

// Each new page process learns the answer before the page can ask.
void Q7ZPageNotifications::on_context_initializeNotificationPermissions(WebKitWebContext* context, gpointer self) {
    auto& notifications = *static_cast<Q7ZPageNotifications*>(self);
    if (!notifications.m_origin) return;
    GList origins{notifications.m_origin.get(), nullptr, nullptr};
    if (notificationsAreOn()) webkit_web_context_initialize_notification_permissions(context, &origins, nullptr);
    else webkit_web_context_initialize_notification_permissions(context, nullptr, &origins);
}

gboolean Q7ZPageNotifications::on_view_permissionRequest(WebKitWebView* view, WebKitPermissionRequest* request,
                                                         gpointer self) {
    if (!WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request)) return FALSE;
    if (static_cast<Q7ZPageNotifications*>(self)->mayNotify(view)) webkit_permission_request_allow(request);
    else webkit_permission_request_deny(request);
    return TRUE;
}

// The Permissions API's question, answered as the page's Notification.permission.
gboolean Q7ZPageNotifications::on_view_queryPermissionState(WebKitWebView* view, WebKitPermissionStateQuery* query,
                                                            gpointer self) {
    if (g_strcmp0(webkit_permission_state_query_get_name(query), "notifications") != 0) return FALSE;
    const bool allowed = static_cast<Q7ZPageNotifications*>(self)->mayNotify(view);
    webkit_permission_state_query_finish(query,
                                         allowed ? WEBKIT_PERMISSION_STATE_GRANTED : WEBKIT_PERMISSION_STATE_DENIED);
    return TRUE;
}

gboolean Q7ZPageNotifications::on_view_showNotification(WebKitWebView* view, WebKitNotification* notification,
                                                        gpointer self) {
    auto& notifications = *static_cast<Q7ZPageNotifications*>(self);
    if (notifications.mayNotify(view)) notifications.show(notification);
    else g_debug("a notification of %s is not shown", webkit_web_view_get_uri(view));
    return TRUE;
}

void Q7ZPageNotifications::show(WebKitNotification* notification) {
    const std::string key = std::to_string(webkit_notification_get_id(notification));
    if (m_shown.contains(key)) return;
    const char* title = webkit_notification_get_title(notification);
    const char* body = webkit_notification_get_body(notification);
    const std::string desktopId = m_notices.postPageNotification(title ? title : "", body ? body : "", key);
    if (desktopId.empty()) return;
    m_shown[key] = {retainObject(notification), desktopId};
    g_signal_connect(notification, "closed", G_CALLBACK(&Q7ZPageNotifications::on_notification_closed), this);
}

void Q7ZPageNotifications::closeAll() {
    std::vector<GObjectPtr<WebKitNotification>> shown;
    for (const auto& [key, entry] : m_shown) shown.push_back(retainObject(entry.notification.get()));
    for (const auto& notification : shown) webkit_notification_close(notification.get());
}

// The page closed it, or the engine did for a newer one of its tag.
void Q7ZPageNotifications::on_notification_closed(WebKitNotification* notification, gpointer self) {
    auto& notifications = *static_cast<Q7ZPageNotifications*>(self);
    auto shown = notifications.m_shown.extract(std::to_string(webkit_notification_get_id(notification)));
    if (shown.empty()) return;
    g_signal_handlers_disconnect_by_data(notification, self);
    notifications.m_notices.withdraw(shown.mapped().desktopId);
}

// The desktop has withdrawn it already.
void Q7ZPageNotifications::clicked(const std::string& key) {
    auto shown = m_shown.extract(key);
    if (shown.empty()) return;
    WebKitNotification* notification = shown.mapped().notification.get();
    g_signal_handlers_disconnect_by_data(notification, this);
    webkit_notification_clicked(notification);
}
