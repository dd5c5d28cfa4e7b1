#include "web/Q7ZMainViewRecovery.h"

#include <glibmm/main.h>

#include "platform/GObjectPtr.h"
#include "platform/UserDefaults.h"

namespace {

constexpr const char* kViewPage = "view";
constexpr const char* kErrorPage = "error";

// "host" or "host:port", as the user's administrator wrote the server's address.
std::string hostOf(const char* uri) {
    GUriPtr parsed(uri ? g_uri_parse(uri, G_URI_FLAGS_NONE, nullptr) : nullptr);
    const char* host = parsed ? g_uri_get_host(parsed.get()) : nullptr;
    if (!host) return "";
    const int port = g_uri_get_port(parsed.get());
    return port > 0 ? std::string(host) + ":" + std::to_string(port) : host;
}

// The engine's errors that are no failure of the page: a load cancelled or replaced by another,
// a response handed to a download, a navigation the policy handed elsewhere.
bool isFailureOfThePage(const GError* error) {
    return error && !g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) &&
           !g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) &&
           !g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_CANNOT_SHOW_MIME_TYPE) &&
           error->domain != WEBKIT_DOWNLOAD_ERROR;
}

}  // namespace

Q7ZMainViewRecovery::Q7ZMainViewRecovery(WebKitWebView* view, std::function<void()> loadLoginPage)
    : m_view(view),
      m_loadLoginPage(std::move(loadLoginPage)),
      m_loadTimeout(
          Q7ZRecoveryPolicy::loadTimeout(UserDefaults::standardUserDefaults().integer(UserDefaults::kPageLoadTimeout))),
      // Not Gio::NetworkMonitor::get_default(): it does not take a reference of the shared
      // monitor, which the second web host then finds freed.
      m_network(Glib::wrap(g_network_monitor_get_default(), true)) {
    Gtk::Widget* viewWidget = Glib::wrap(GTK_WIDGET(view));
    m_stack.add(*viewWidget, kViewPage);
    viewWidget->show();
    m_connections.connect(view, "load-changed", G_CALLBACK(&Q7ZMainViewRecovery::on_view_load_changed), this);
    m_connections.connect(view, "load-failed", G_CALLBACK(&Q7ZMainViewRecovery::on_view_load_failed), this);
    m_connections.connect(view, "load-failed-with-tls-errors",
                          G_CALLBACK(&Q7ZMainViewRecovery::on_view_load_failed_with_tls_errors), this);
    m_connections.connect(view, "web-process-terminated",
                          G_CALLBACK(&Q7ZMainViewRecovery::on_view_web_process_terminated), this);
    m_networkChanged =
        m_network->signal_network_changed().connect([this](bool available) { on_network_changed(available); });
}

Q7ZMainViewRecovery::~Q7ZMainViewRecovery() {
    m_retryTimer.disconnect();
    m_loadTimer.disconnect();
    m_networkChanged.disconnect();
}

void Q7ZMainViewRecovery::reload() {
    if (showsErrorPage() || !webkit_web_view_get_uri(m_view)) tryAgain();
    else webkit_web_view_reload(m_view);
}

void Q7ZMainViewRecovery::on_view_load_changed(WebKitWebView*, WebKitLoadEvent event, gpointer recovery) {
    auto& self = *static_cast<Q7ZMainViewRecovery*>(recovery);
    if (event == WEBKIT_LOAD_STARTED) {
        self.m_loadTimer.disconnect();
        self.m_loadTimer = Glib::signal_timeout().connect_seconds([&self] { return self.on_load_timeout(); },
                                                                  self.m_loadTimeout.count());
    } else if (event == WEBKIT_LOAD_COMMITTED) {
        self.m_loadTimer.disconnect();
        self.m_retryTimer.disconnect();
        self.m_policy.pageLoaded();
        self.m_stack.set_visible_child(kViewPage);
    }
}

gboolean Q7ZMainViewRecovery::on_view_load_failed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                                  gpointer recovery) {
    auto& self = *static_cast<Q7ZMainViewRecovery*>(recovery);
    if (!isFailureOfThePage(error)) return FALSE;
    self.m_loadTimer.disconnect();
    const auto kind = Q7ZLoadFailure::kindOfNetworkError(error).value_or(Q7ZLoadFailure::Kind::CannotReach);
    self.showFailure({kind, hostOf(uri), std::nullopt});
    return FALSE;  // the policy also hears of it (the no-network alert)
}

gboolean Q7ZMainViewRecovery::on_view_load_failed_with_tls_errors(WebKitWebView*, gchar* uri,
                                                                  GTlsCertificate* certificate,
                                                                  GTlsCertificateFlags errors, gpointer recovery) {
    auto& self = *static_cast<Q7ZMainViewRecovery*>(recovery);
    g_warning("the certificate of %s is not trusted (flags 0x%x): the page was not loaded", uri, errors);
    self.m_loadTimer.disconnect();
    self.showFailure(
        {Q7ZLoadFailure::Kind::CertificateNotTrusted, hostOf(uri), Q7ZLoadFailure::describe(certificate, errors)});
    return TRUE;  // nothing more: the engine would only report the same failure again
}

void Q7ZMainViewRecovery::on_view_web_process_terminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                                         gpointer recovery) {
    auto& self = *static_cast<Q7ZMainViewRecovery*>(recovery);
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
    g_warning("the page's process ended unexpectedly (%s)",
              reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "out of memory" : "crashed");
    self.m_loadTimer.disconnect();
    if (self.m_policy.reloadAfterCrash(Q7ZRecoveryPolicy::Clock::now())) {
        self.reload();
        return;
    }
    const std::string host = hostOf(webkit_web_view_get_uri(self.m_view));
    self.showFailure({Q7ZLoadFailure::Kind::PageStopped, host, std::nullopt});
}

void Q7ZMainViewRecovery::on_network_changed(bool available) {
    if (available && showsErrorPage()) tryAgain();
}

bool Q7ZMainViewRecovery::on_load_timeout() {
    g_warning("%s did not answer within %lld s", webkit_web_view_get_uri(m_view),
              static_cast<long long>(m_loadTimeout.count()));
    webkit_web_view_stop_loading(m_view);
    showFailure({Q7ZLoadFailure::Kind::TookTooLong, hostOf(webkit_web_view_get_uri(m_view)), std::nullopt});
    return false;
}

bool Q7ZMainViewRecovery::showsErrorPage() const { return m_stack.get_visible_child_name() == kErrorPage; }

void Q7ZMainViewRecovery::showFailure(Q7ZLoadFailure failure) {
    if (!m_errorPage) {
        m_errorPage = std::make_unique<Q7ZErrorPage>();
        m_errorPage->signal_try_again().connect([this] { tryAgain(); });
        m_stack.add(*m_errorPage, kErrorPage);
        m_errorPage->show();
    }
    m_errorPage->showFailure(failure);
    m_stack.set_visible_child(kErrorPage);
    m_retryTimer.disconnect();
    if (!failure.isRetriedAutomatically()) return;
    m_retryTimer = Glib::signal_timeout().connect_seconds(
        [this] {
            m_loadLoginPage();
            return false;
        },
        m_policy.nextRetryDelay().count());
}

void Q7ZMainViewRecovery::tryAgain() {
    m_retryTimer.disconnect();
    m_loadLoginPage();
}
