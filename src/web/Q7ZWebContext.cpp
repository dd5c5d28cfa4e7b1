#include "web/Q7ZWebContext.h"

#include <glib/gstdio.h>

#include "platform/GObjectPtr.h"
#include "platform/Paths.h"

namespace Q7ZWebContext {
namespace {

constexpr int kPrivateFolderMode = 0700;

GObjectPtr<WebKitWebContext> makeContext() {
    const std::string dataFolder = Paths::userDataDirectory();
    const std::string cacheFolder = Paths::userCacheDirectory();
    // Cookies are the user's session: keep them out of other users' reach.
    if (g_mkdir_with_parents(dataFolder.c_str(), kPrivateFolderMode) != 0)
        g_warning("cannot create %s; the session will not outlast this run", dataFolder.c_str());
    GObjectPtr<WebKitWebsiteDataManager> manager(webkit_website_data_manager_new(
        "base-data-directory", dataFolder.c_str(), "base-cache-directory", cacheFolder.c_str(), nullptr));
    GObjectPtr<WebKitWebContext> context(webkit_web_context_new_with_website_data_manager(manager.get()));
    const std::string cookieFile = dataFolder + "/cookies.sqlite";
    webkit_cookie_manager_set_persistent_storage(webkit_website_data_manager_get_cookie_manager(manager.get()),
                                                 cookieFile.c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    return context;
}

}  // namespace

WebKitWebContext* shared() {
    // Kept until the process ends: the engine's processes and every view depend on it, and
    // finalizing it from a static destructor would run after GTK has gone.
    static WebKitWebContext* const context = makeContext().release();
    return context;
}

void warmUpFor(const std::string& url) {
    GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
    const char* host = uri ? g_uri_get_host(uri) : nullptr;
    if (host && *host) webkit_web_context_prefetch_dns(shared(), host);
    if (uri) g_uri_unref(uri);
}

WebKitWebView* newWebView() { return WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new_with_context(shared()))); }

}  // namespace Q7ZWebContext
