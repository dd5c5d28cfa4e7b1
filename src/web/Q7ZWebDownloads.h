#pragma once
// The web host's downloads: the page downloads that its response policy starts (a response
// that is not a page is fetched again on a worker thread, with the view's cookies, into the
// download folder), the engine's own downloads (the context menu's download commands, and
// answers that cannot be fetched again: a form's, a blob: or data: address), both as records
// in the download registry from their start (an engine download that a page other than the
// organisation's asked for is cancelled at once); the downloads window and what its rows ask;
// the combined progress of running downloads on the launcher icon; and a word to the desktop
// when a download finishes while the downloads window is not in front.
//
// Main thread only; a fetch's worker hands its result back through MainThread.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <webkit2/webkit2.h>

#include "downloads/Q7ZDownloadData.h"
#include "downloads/Q7ZPageDownload.h"
#include "downloads/window/Q7ZDownloaderWindow.h"
#include "platform/Worker.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/Workspace.h"
#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZWebDownloads : public Q7ZDownloaderWindowDelegate, public Q7ZDownloadDataDelegate {
public:
    // Tells the desktop that the file at path has finished downloading.
    using FinishedAnnouncer = std::function<void(const std::string& path)>;

    // All borrowed; launcher and mainWindow (the downloads window takes its title and icon) may be
    // null. Engine downloads of the program's web context are followed from now on.
    Q7ZWebDownloads(Dialogs& dialogs, LauncherEntry* launcher, Q7ZOrganisationPages pages, Gtk::Window* mainWindow,
                    FinishedAnnouncer announceFinished = {});
    ~Q7ZWebDownloads() override;
    Q7ZWebDownloads(const Q7ZWebDownloads&) = delete;
    Q7ZWebDownloads& operator=(const Q7ZWebDownloads&) = delete;

    // Settles the folder (asking the user when the configured one cannot be written), then
    // fetches the request's address on a worker thread.
    void startPageDownload(WebKitWebView* view, WebKitURIRequest* request);
    void showDownloaderWindow();
    // Logging out: the window closes, running engine downloads are cancelled and every
    // record of one is cleared; page downloads' records stay.
    void cancelAndClearEngineDownloads();

    void downloaderWindowWillClose(Q7ZDownloaderWindow& window) override;
    void downloaderOpenFileWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) override;
    void downloaderOpenFileFolderWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) override;
    void downloaderCancelWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) override;
    void downloaderRetryWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) override;
    void downloaderCleanWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) override;

private:
    class EngineEvents;
    using DownloadDataPtr = std::shared_ptr<Q7ZDownloadData>;

    bool isOrganisationDownload(WebKitURIRequest* request) const;
    std::optional<std::string> settlePageDownloadFolder();
    // Registers the running page download's record and gets the address's cookies for its fetch.
    void startPageFetch(const Q7ZPageDownload::Request& request);
    void fetchPage(const Q7ZPageDownload::Request& request, const std::string& folder,
                   const std::shared_ptr<Q7ZPageDownload::Progress>& progress,
                   const std::weak_ptr<Q7ZDownloadData>& record);
    void pageDownloadProgressed(const DownloadDataPtr& record, const std::string& name, std::int64_t received,
                                std::int64_t expected);
    void pageDownloadDidEnd(const DownloadDataPtr& record, const Q7ZPageDownload::Result& result);
    void downloadDidFinish(const DownloadDataPtr& record);
    // The folder an engine download goes to: this run's folder, else the configured one, which
    // is reset to the default (and saved) when it does not exist.
    std::string engineDownloadFolder();
    // False (and the row marked FileMissing) when the record's file has gone.
    bool fileIsPresent(const std::shared_ptr<Q7ZDownloadData>& data);
    void reloadTableView();
    // The rows again from the records, for a name or size that changed.
    void refreshDownloaderWindow();
    void closeDownloaderWindow();
    void updateLauncherProgress();

    Dialogs& m_dialogs;
    LauncherEntry* m_launcher;
    Gtk::Window* m_mainWindow;
    FinishedAnnouncer m_announceFinished;
    Q7ZOrganisationPages m_pages;
    Workspace m_workspace;
    std::optional<std::string> m_fileSavePath;
    // The settings' folder when m_fileSavePath was decided: a folder chosen since takes over.
    std::string m_configuredFolder;
    std::unique_ptr<Q7ZDownloaderWindow> m_downloaderWindow;
    std::unique_ptr<EngineEvents> m_engineEvents;
    // What a page download's record needs to be fetched again, by request ID.
    std::map<std::string, Q7ZPageDownload::Request> m_pageFetches;
    // Hand-backs of fetches run only while this lives.
    Worker::Owner m_workers;
};
