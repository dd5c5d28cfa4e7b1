#include "platform/DesktopProxy.h"

#include <gio/gio.h>

#include "platform/GObjectPtr.h"

namespace {

bool isProxyCurlTakes(const char* uri) {
    for (const char* scheme : {"http", "https", "socks4", "socks4a", "socks5"})
        if (g_str_has_prefix(uri, scheme) && g_str_has_prefix(uri + std::char_traits<char>::length(scheme), "://"))
            return true;
    return false;
}

}  // namespace

std::string DesktopProxy::forUrl(const std::string& url) {
    GError* failure = nullptr;
    gchar** proxies = g_proxy_resolver_lookup(g_proxy_resolver_get_default(), url.c_str(), nullptr, &failure);
    GErrorPtr error(failure);
    if (!proxies) {
        g_warning("the desktop's proxy for %s is unknown (%s): connecting directly", url.c_str(), error->message);
        return "";
    }
    std::string chosen;
    for (gchar** proxy = proxies; *proxy && chosen.empty(); ++proxy) {
        if (g_str_equal(*proxy, "direct://")) break;
        if (isProxyCurlTakes(*proxy)) chosen = *proxy;
    }
    g_strfreev(proxies);
    return chosen;
}
