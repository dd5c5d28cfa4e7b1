#include "web/Q7ZWebDownloads.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include <unordered_map>
#include <vector>

#include <glib/gstdio.h>
#include <glibmm/convert.h>
#include <glibmm/miscutils.h>
#include <gtkmm/recentmanager.h>
#include <libsoup/soup.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "controls/ReleaseWhenIdle.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/Q7ZDownloadFileName.h"
#include "downloads/Q7ZPageDownload.h"
#include "downloads/Q7ZPageTransfer.h"
#include "platform/Bundle.h"
#include "platform/Worker.h"
#include "utility/Q7ZACUtility.h"
#include "web/Q7ZEngineDownload.h"
#include "web/Q7ZRequester.h"
#include "web/Q7ZWebContext.h"

namespace {

constexpr gint64 kProgressInterval = G_USEC_PER_SEC / 10;

bool exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

Q7ZDownloadDataSingleton& registry() { return Q7ZDownloadDataSingleton::getInstance(); }

// A finished file's size as it lies on disk (an answer sent in chunks announces none); otherwise
// when it cannot be read.
std::int64_t sizeOnDisk(const std::string& path, std::int64_t otherwise) {
    GStatBuf status{};
    return g_stat(path.c_str(), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : otherwise;
}

// The name an address gives its file, until the answer announces one.
std::string nameInAddress(const std::string& url) {
    const GUriPtr uri(g_uri_parse(url.c_str(), G_URI_FLAGS_ENCODED, nullptr));
    const char* path = uri ? g_uri_get_path(uri.get()) : nullptr;
    const std::string_view text(path ? path : "");
    const GCharPtr decoded(g_uri_unescape_string(std::string(text.substr(text.rfind('/') + 1)).c_str(), nullptr));
    return Q7ZDownloadFileName::safeFileName(decoded ? decoded.get() : "");
}

// What the user may try again: a plain GET of an http(s) address, which fetched again is the
// same answer.
std::string retryUrlOf(WebKitURIRequest* request) {
    const char* method = webkit_uri_request_get_http_method(request);
    const char* uri = webkit_uri_request_get_uri(request);
    const char* scheme = uri ? g_uri_peek_scheme(uri) : nullptr;
    const bool web = scheme && (g_str_equal(scheme, "http") || g_str_equal(scheme, "https"));
    return web && (!method || g_str_equal(method, "GET")) ? uri : "";
}

Q7ZDownloadFailure failureOf(const GError* error) {
    if (g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER))
        return Q7ZDownloadFailure::Cancelled;
    if (g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_DESTINATION))
        return Q7ZDownloadFailure::Disk;
    return Q7ZDownloadFailure::Network;
}

// Only the empty file the download claimed, never what the user has put there since.
void removeClaimedFile(const std::string& path) {
    GStatBuf status{};
    if (!path.empty() && g_lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0)
        g_unlink(path.c_str());
}

// The expected size: the "Content-Length" header when the answer has one, else the engine's
// own figure; -1 when unknown.
std::int64_t expectedSize(WebKitURIResponse* response) {
    if (SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response)) {
        if (const char* length = soup_message_headers_get_one(headers, "Content-Length")) {
            char* end = nullptr;
            const long long value = g_ascii_strtoll(length, &end, 10);
            if (end && end != length && *end == '\0' && value >= 0) return value;
        }
    }
    const guint64 length = webkit_uri_response_get_content_length(response);
    return length > 0 ? static_cast<std::int64_t>(length) : -1;
}

}  // namespace

// Follows the engine's downloads of the program's web context and turns their events into
// record changes. Downloads may outlive this: their handlers are disconnected when it goes.
class Q7ZWebDownloads::EngineEvents {
public:
    explicit EngineEvents(Q7ZWebDownloads& owner) : m_owner(owner) {
        m_startedHandler = g_signal_connect(Q7ZWebContext::shared(), "download-started",
                                            G_CALLBACK(&EngineEvents::on_context_download_started), this);
    }
    ~EngineEvents() {
        g_signal_handler_disconnect(Q7ZWebContext::shared(), m_startedHandler);
        for (WebKitDownload* download : m_downloads) {
            g_signal_handlers_disconnect_by_data(download, this);
            g_object_weak_unref(G_OBJECT(download), &EngineEvents::on_download_finalized, this);
        }
    }
    EngineEvents(const EngineEvents&) = delete;
    EngineEvents& operator=(const EngineEvents&) = delete;

private:
    static void on_context_download_started(WebKitWebContext*, WebKitDownload* download, gpointer events) {
        auto& self = *static_cast<EngineEvents*>(events);
        if (!self.m_owner.isOrganisationDownload(webkit_download_get_request(download))) {
            webkit_download_cancel(download);
            return;
        }
        self.m_downloads.push_back(download);
        g_object_weak_ref(G_OBJECT(download), &EngineEvents::on_download_finalized, events);
        g_signal_connect(download, "notify::response", G_CALLBACK(&EngineEvents::on_download_response), events);
        g_signal_connect(download, "decide-destination", G_CALLBACK(&EngineEvents::on_download_decide_destination),
                         events);
        g_signal_connect(download, "created-destination", G_CALLBACK(&EngineEvents::on_download_created_destination),
                         events);
        g_signal_connect(download, "received-data", G_CALLBACK(&EngineEvents::on_download_received_data), events);
        g_signal_connect(download, "failed", G_CALLBACK(&EngineEvents::on_download_failed), events);
        g_signal_connect(download, "finished", G_CALLBACK(&EngineEvents::on_download_finished), events);
    }

    static void on_download_finalized(gpointer events, GObject* download) {
        auto& downloads = static_cast<EngineEvents*>(events)->m_downloads;
        std::erase(downloads, reinterpret_cast<WebKitDownload*>(download));
    }

    // Every response makes a record of its own.
    static void on_download_response(GObject* object, GParamSpec*, gpointer events) {
        auto* download = WEBKIT_DOWNLOAD(object);
        WebKitURIResponse* response = webkit_download_get_response(download);
        if (!response) return;
        auto record = std::make_shared<Q7ZDownloadData>();
        record->setRequestID(Q7ZACUtility::getUUIDString());
        record->setUrlDownload(std::make_shared<Q7ZEngineDownload>(download));
        record->setTotalDataLenght(expectedSize(response));
        record->setRetryUrl(retryUrlOf(webkit_download_get_request(download)));
        record->setCurrentstatus(Q7ZDownloadStatus::Downloading);
        registry().addDownloadData(record);
        static_cast<EngineEvents*>(events)->m_owner.updateLauncherProgress();
    }

    // The name is claimed by creating its file, which the engine then writes: two downloads of
    // one name cannot both take it, and nothing already there is replaced.
    static gboolean on_download_decide_destination(WebKitDownload* download, gchar* suggestedName, gpointer events) {
        const std::string folder = static_cast<EngineEvents*>(events)->m_owner.engineDownloadFolder();
        WebKitURIResponse* response = webkit_download_get_response(download);
        const char* mimeType = response ? webkit_uri_response_get_mime_type(response) : nullptr;
        const std::string name =
            Q7ZDownloadFileName::safeFileName(suggestedName ? suggestedName : "", mimeType ? mimeType : "");
        const DownloadDataPtr record = recordOf(download);
        if (record) record->setFileName(name);
        const std::optional<std::string> path = Q7ZDownloadFileName::claimFreePath(folder, name);
        const GCharPtr uri(path ? g_filename_to_uri(path->c_str(), nullptr, nullptr) : nullptr);
        if (!uri) {
            g_warning("cannot save the download %s in %s: %s", name.c_str(), folder.c_str(), g_strerror(errno));
            webkit_download_cancel(download);
            if (record) record->fail(Q7ZDownloadFailure::Disk);
            return TRUE;
        }
        if (record) record->setSavePathString(*path);
        webkit_download_set_allow_overwrite(download, TRUE);
        webkit_download_set_destination(download, uri.get());
        return TRUE;
    }

    static void on_download_created_destination(WebKitDownload* download, gchar* uri, gpointer events) {
        if (const DownloadDataPtr record = recordOf(download)) {
            const GCharPtr path(g_filename_from_uri(uri, nullptr, nullptr));
            record->setSavePathString(path ? path.get() : "");
        }
        static_cast<EngineEvents*>(events)->m_owner.showDownloaderWindow();
    }

    static void on_download_received_data(WebKitDownload* download, guint64 length, gpointer events) {
        const DownloadDataPtr record = recordOf(download);
        if (!record) return;
        record->setCountDataLenght(record->countDataLenght() + static_cast<std::int64_t>(length));
        // Data comes every few kilobytes: the table and the launcher follow ten times a second at
        // most, or a fast download would keep the main loop redrawing.
        auto& self = *static_cast<EngineEvents*>(events);
        const gint64 now = g_get_monotonic_time();
        gint64& shown = self.m_lastShown[download];
        if (now - shown < kProgressInterval) return;
        shown = now;
        self.m_owner.reloadTableView();
        self.m_owner.updateLauncherProgress();
    }

    static void on_download_failed(WebKitDownload* download, GError* error, gpointer events) {
        auto& self = *static_cast<EngineEvents*>(events);
        self.m_failed.push_back(download);
        self.m_lastShown.erase(download);
        if (!g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER))
            g_warning("the download of %s failed: %s",
                      webkit_uri_request_get_uri(webkit_download_get_request(download)), error ? error->message : "");
        if (const DownloadDataPtr record = recordOf(download)) {
            if (record->currentstatus() == Q7ZDownloadStatus::Downloading) record->fail(failureOf(error));
            removeClaimedFile(record->savePathString());
        }
        self.m_owner.refreshDownloaderWindow();
        self.m_owner.updateLauncherProgress();
    }

    // Also emitted after a failure, which stands.
    static void on_download_finished(WebKitDownload* download, gpointer events) {
        auto& self = *static_cast<EngineEvents*>(events);
        self.m_lastShown.erase(download);
        if (std::erase(self.m_failed, download) > 0) return;
        const DownloadDataPtr record = recordOf(download);
        if (record) {
            record->setTotalDataLenght(sizeOnDisk(record->savePathString(), record->totalDataLenght()));
            record->setCurrentstatus(Q7ZDownloadStatus::Finished);
        }
        self.m_owner.reloadTableView();
        self.m_owner.updateLauncherProgress();
        if (record) self.m_owner.downloadDidFinish(record);
    }

    static DownloadDataPtr recordOf(WebKitDownload* download) {
        const Q7ZEngineDownload handle(download);
        return registry().getDownloadDataWithURLDownload(&handle);
    }

    Q7ZWebDownloads& m_owner;
    gulong m_startedHandler = 0;
    std::vector<WebKitDownload*> m_downloads;  // followed, not owned
    std::vector<WebKitDownload*> m_failed;
    // When each running download's progress was last shown, in monotonic microseconds.
    std::unordered_map<WebKitDownload*, gint64> m_lastShown;
};

Q7ZWebDownloads::Q7ZWebDownloads(Dialogs& dialogs, LauncherEntry* launcher, Q7ZOrganisationPages pages,
                                 Gtk::Window* mainWindow, FinishedAnnouncer announceFinished)
    : m_dialogs(dialogs),
      m_launcher(launcher),
      m_mainWindow(mainWindow),
      m_announceFinished(std::move(announceFinished)),
      m_pages(std::move(pages)),
      m_engineEvents(std::make_unique<EngineEvents>(*this)) {
    // What a run that ended abruptly left in the folder, off the main thread.
    Worker::start(m_workers, [folder = Q7ZAppSettingConfigSingleton::getInstance().downloadFileSavePath()](
                                 const Worker::Link&) { Q7ZPageDownload::removeLeftoverPartialFiles(folder); });
}

Q7ZWebDownloads::~Q7ZWebDownloads() {
    if (m_downloaderWindow) m_downloaderWindow->setDownloaderDelegate(nullptr);
}

void Q7ZWebDownloads::startPageDownload(WebKitWebView* view, WebKitURIRequest* request) {
    const char* page = webkit_web_view_get_uri(view);
    startPageFetch({webkit_uri_request_get_uri(request), "",
                    webkit_settings_get_user_agent(webkit_web_view_get_settings(view)), page ? page : ""});
}

// The row is there from the start, with the address's name until the answer announces one.
void Q7ZWebDownloads::startPageFetch(const Q7ZPageDownload::Request& request) {
    const std::optional<std::string> folder = settlePageDownloadFolder();
    if (!folder) return;
    auto record = std::make_shared<Q7ZDownloadData>();
    record->setRequestID(Q7ZACUtility::getUUIDString());
    record->setFileName(nameInAddress(request.url));
    record->setRetryUrl(request.url);
    record->setTotalDataLenght(-1);
    record->setCurrentstatus(Q7ZDownloadStatus::Downloading);
    auto progress = std::make_shared<Q7ZPageDownload::Progress>();
    record->setUrlDownload(std::make_shared<Q7ZPageTransfer>(progress));
    m_pageFetches[record->requestID()] = request;
    registry().addDownloadData(record);
    showDownloaderWindow();
    updateLauncherProgress();

    struct PendingFetch {
        Worker::Link owner;
        Q7ZWebDownloads* downloads;
        Q7ZPageDownload::Request request;
        std::string folder;
        std::shared_ptr<Q7ZPageDownload::Progress> progress;
        std::weak_ptr<Q7ZDownloadData> record;
    };
    WebKitCookieManager* cookies = webkit_website_data_manager_get_cookie_manager(
        webkit_web_context_get_website_data_manager(Q7ZWebContext::shared()));
    webkit_cookie_manager_get_cookies(
        cookies, request.url.c_str(), nullptr,
        [](GObject* manager, GAsyncResult* result, gpointer data) {
            std::unique_ptr<PendingFetch> pending(static_cast<PendingFetch*>(data));
            GList* found = webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(manager), result, nullptr);
            GSList* list = nullptr;
            for (GList* item = found; item; item = item->next) list = g_slist_prepend(list, item->data);
            list = g_slist_reverse(list);
            const GCharPtr header(list ? soup_cookies_to_cookie_header(list) : nullptr);
            g_slist_free(list);
            g_list_free_full(found, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
            pending->request.cookieHeader = header ? header.get() : "";
            pending->owner.report([pending = std::shared_ptr<PendingFetch>(pending.release())] {
                pending->downloads->fetchPage(pending->request, pending->folder, pending->progress, pending->record);
            });
        },
        new PendingFetch{m_workers.link(), this, request, *folder, progress, record});
}

// Asked for by the organisation's page, as the request tells; else (the context menu's command)
// the address must be the organisation's.
bool Q7ZWebDownloads::isOrganisationDownload(WebKitURIRequest* request) const {
    const char* uri = webkit_uri_request_get_uri(request);
    const std::string url = uri ? uri : "";
    std::optional<std::string> host = Q7ZRequester::hostOf(request);
    if (!host) host = Q7ZOrganisationPages::hostOf(url);
    if (m_pages.isOrganisationHost(host)) return true;
    g_debug("a download of %s that a page of another host asked for was cancelled", url.c_str());
    return false;
}

// The configured folder when it can be written to; else the one the user picks this time
// (the setting stays), or none when the user cancels.
std::optional<std::string> Q7ZWebDownloads::settlePageDownloadFolder() {
    const std::string configured = Q7ZAppSettingConfigSingleton::getInstance().downloadFileSavePath();
    m_fileSavePath = configured;
    m_configuredFolder = configured;
    if (exists(configured) && g_access(configured.c_str(), W_OK) == 0) return configured;
    OpenPanelOptions options;
    options.canChooseFiles = false;
    options.canChooseDirectories = true;
    options.directory = configured;
    options.prompt = localizedString("m12");
    const auto chosen = m_dialogs.runOpenPanel(options);
    if (!chosen || chosen->empty()) return std::nullopt;
    m_fileSavePath = chosen->front();
    return chosen->front();
}

// The worker owns copies of what it needs and reports back only while this lives.
void Q7ZWebDownloads::fetchPage(const Q7ZPageDownload::Request& request, const std::string& folder,
                                const std::shared_ptr<Q7ZPageDownload::Progress>& progress,
                                const std::weak_ptr<Q7ZDownloadData>& record) {
    progress->report = [this, link = m_workers.link(), record](const std::string& name, std::int64_t received,
                                                               std::int64_t expected) {
        link.report([this, record, name, received, expected] {
            if (const DownloadDataPtr running = record.lock())
                pageDownloadProgressed(running, name, received, expected);
        });
    };
    const bool started = Worker::start(m_workers, [this, request, folder, progress, record](const Worker::Link& owner) {
        const Q7ZPageDownload::Result result = Q7ZPageDownload::fetch(request, folder, progress.get());
        owner.report(
            [this, record, result] {
                if (const DownloadDataPtr ended = record.lock()) pageDownloadDidEnd(ended, result);
            },
            true);
    });
    if (!started) {
        if (const DownloadDataPtr ended = record.lock()) pageDownloadDidEnd(ended, {});
    }
}

void Q7ZWebDownloads::pageDownloadProgressed(const DownloadDataPtr& record, const std::string& name,
                                             std::int64_t received, std::int64_t expected) {
    if (record->currentstatus() != Q7ZDownloadStatus::Downloading) return;
    const bool rowChanged = name != record->fileName() || expected != record->totalDataLenght();
    record->setFileName(name);
    record->setCountDataLenght(received);
    record->setTotalDataLenght(expected);
    rowChanged ? refreshDownloaderWindow() : reloadTableView();
    updateLauncherProgress();
}

// The record no longer has a transfer: a finished or failed page download's row stays at logout.
void Q7ZWebDownloads::pageDownloadDidEnd(const DownloadDataPtr& record, const Q7ZPageDownload::Result& result) {
    record->setUrlDownload(nullptr);
    if (!result.fileName.empty()) record->setFileName(result.fileName);
    if (result.outcome == Q7ZPageDownload::Result::Outcome::Saved) {
        record->setSavePathString(result.savedPath);
        record->setTotalDataLenght(sizeOnDisk(result.savedPath, result.expectedSize));
        record->setCountDataLenght(record->totalDataLenght());
        record->setCurrentstatus(Q7ZDownloadStatus::Finished);
    } else if (record->currentstatus() == Q7ZDownloadStatus::Downloading) {
        record->fail(result.failure == Q7ZDownloadFailure::None ? Q7ZDownloadFailure::Network : result.failure);
    }
    refreshDownloaderWindow();
    updateLauncherProgress();
    if (record->currentstatus() == Q7ZDownloadStatus::Finished) downloadDidFinish(record);
}

// Listed among the desktop's recent files, as browsers do; and told, unless the user is looking
// at the downloads window already.
void Q7ZWebDownloads::downloadDidFinish(const DownloadDataPtr& record) {
    const std::string& path = record->savePathString();
    if (path.empty()) return;
    if (const GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr)); uri)
        Gtk::RecentManager::get_default()->add_item(uri.get());
    if (m_announceFinished && !(m_downloaderWindow && m_downloaderWindow->is_active())) m_announceFinished(path);
}

std::string Q7ZWebDownloads::engineDownloadFolder() {
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    if (!m_fileSavePath || settings.downloadFileSavePath() != m_configuredFolder)
        m_fileSavePath = m_configuredFolder = settings.downloadFileSavePath();
    if (!exists(*m_fileSavePath)) {
        g_warning("the download folder %s does not exist; the default folder is used from now on",
                  m_fileSavePath->c_str());
        settings.resetDownloadFileSavePath();
        settings.saveConfig();
        m_fileSavePath = settings.downloadFileSavePath();
        g_mkdir_with_parents(m_fileSavePath->c_str(), 0755);
    }
    return *m_fileSavePath;
}

void Q7ZWebDownloads::showDownloaderWindow() {
    if (m_downloaderWindow) {
        m_downloaderWindow->updateData();
        m_downloaderWindow->reloadTableView();
    } else {
        m_downloaderWindow = std::make_unique<Q7ZDownloaderWindow>(m_mainWindow);
        m_downloaderWindow->setDownloaderDelegate(this);
    }
    m_downloaderWindow->present();
}

void Q7ZWebDownloads::reloadTableView() {
    if (m_downloaderWindow) m_downloaderWindow->reloadTableView();
}

void Q7ZWebDownloads::refreshDownloaderWindow() {
    if (!m_downloaderWindow) return;
    m_downloaderWindow->updateData();
    m_downloaderWindow->reloadTableView();
}

// Running page downloads are cancelled as well: they carry the signed-out user's cookies.
void Q7ZWebDownloads::cancelAndClearEngineDownloads() {
    closeDownloaderWindow();
    registry().cancelAllDownloader();
    registry().cleanAllNoDownloadingHistory();
    std::set<std::string> kept;
    for (const DownloadDataPtr& record : registry().getAllDownloadDataArray()) kept.insert(record->requestID());
    std::erase_if(m_pageFetches, [&kept](const auto& entry) { return !kept.contains(entry.first); });
    updateLauncherProgress();
}

void Q7ZWebDownloads::downloaderWindowWillClose(Q7ZDownloaderWindow&) { closeDownloaderWindow(); }

void Q7ZWebDownloads::closeDownloaderWindow() {
    if (!m_downloaderWindow) return;
    m_downloaderWindow->setDownloaderDelegate(nullptr);
    m_downloaderWindow->hide();
    releaseWhenIdle(std::move(m_downloaderWindow));
}

bool Q7ZWebDownloads::fileIsPresent(const std::shared_ptr<Q7ZDownloadData>& data) {
    if (exists(data->savePathString())) return true;
    data->setCurrentstatus(Q7ZDownloadStatus::FileMissing);
    reloadTableView();
    return false;
}

void Q7ZWebDownloads::downloaderOpenFileWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) {
    if (fileIsPresent(data)) m_workspace.openFile(data->savePathString());
}

void Q7ZWebDownloads::downloaderOpenFileFolderWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) {
    if (fileIsPresent(data)) m_workspace.revealFile(data->savePathString());
}

void Q7ZWebDownloads::downloaderCancelWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) {
    if (data->urlDownload()) data->urlDownload()->cancel();
    data->fail(Q7ZDownloadFailure::Cancelled);
    registry().removeDownloadDataWithRequestID(data->requestID());
    m_pageFetches.erase(data->requestID());
    refreshDownloaderWindow();
    updateLauncherProgress();
}

void Q7ZWebDownloads::downloaderCleanWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) {
    registry().removeDownloadDataWithRequestID(data->requestID());
    m_pageFetches.erase(data->requestID());
    refreshDownloaderWindow();
}

// The failed row makes way for the new download's: a page download is fetched again as such
// (named as before), anything else by the engine.
void Q7ZWebDownloads::downloaderRetryWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) {
    if (data->currentstatus() != Q7ZDownloadStatus::Failed || data->retryUrl().empty()) return;
    registry().removeDownloadDataWithRequestID(data->requestID());
    refreshDownloaderWindow();
    if (auto page = m_pageFetches.extract(data->requestID())) startPageFetch(page.mapped());
    else GObjectPtr<WebKitDownload>(webkit_web_context_download_uri(Q7ZWebContext::shared(), data->retryUrl().c_str()));
}

// The share of the bytes of running engine downloads received so far; hidden when none runs.
void Q7ZWebDownloads::updateLauncherProgress() {
    if (!m_launcher) return;
    bool running = false;
    std::int64_t received = 0;
    std::int64_t expected = 0;
    for (const DownloadDataPtr& record : registry().getAllDownloadDataArray()) {
        if (record->currentstatus() != Q7ZDownloadStatus::Downloading) continue;
        running = true;
        if (record->totalDataLenght() <= 0) continue;
        received += std::min(record->countDataLenght(), record->totalDataLenght());
        expected += record->totalDataLenght();
    }
    if (!running) m_launcher->setProgress(std::nullopt);
    else m_launcher->setProgress(expected > 0 ? static_cast<double>(received) / static_cast<double>(expected) : 0.0);
}
