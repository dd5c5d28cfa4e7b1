#include "downloads/Q7ZDownloadDataSingleton.h"

#include <algorithm>
#include <cassert>

#include <glib.h>

#include "platform/MainThread.h"

namespace {

void assertMainThread() {
    assert(MainThread::isMainThread() && "the download registry is used on the main thread only");
}

}  // namespace

Q7ZDownloadDataSingleton& Q7ZDownloadDataSingleton::getInstance() {
    // Never released: records may still be read while the program ends.
    static auto* instance = new Q7ZDownloadDataSingleton();
    return *instance;
}

void Q7ZDownloadDataSingleton::addDownloadData(const DownloadDataPtr& data) {
    assertMainThread();
    g_return_if_fail(data != nullptr);
    // Removing by ID rather than by the record's transfer: a record without one would
    // otherwise stand in the order twice and show as two rows.
    if (m_cacheDataDictionary.contains(data->requestID())) removeDownloadDataWithRequestID(data->requestID());
    m_cacheDataDictionary[data->requestID()] = data;
    m_cacheSequenceArray.push_back(data->requestID());
}

void Q7ZDownloadDataSingleton::removeDownloadDataWithRequestID(const std::string& requestID) {
    assertMainThread();
    if (m_cacheDataDictionary.erase(requestID) == 0) return;
    std::erase(m_cacheSequenceArray, requestID);
}

Q7ZDownloadDataSingleton::DownloadDataPtr Q7ZDownloadDataSingleton::getDownloadDataWithURLDownload(
    const Q7ZURLDownload* download) const {
    assertMainThread();
    if (!download) return nullptr;
    for (const auto& [requestID, data] : m_cacheDataDictionary) {
        if (download->isSameDownload(data->urlDownload().get())) return data;
    }
    return nullptr;
}

std::vector<Q7ZDownloadDataSingleton::DownloadDataPtr> Q7ZDownloadDataSingleton::getAllDownloadDataArray() const {
    assertMainThread();
    std::vector<DownloadDataPtr> newestFirst;
    newestFirst.reserve(m_cacheSequenceArray.size());
    for (auto id = m_cacheSequenceArray.rbegin(); id != m_cacheSequenceArray.rend(); ++id) {
        if (auto found = m_cacheDataDictionary.find(*id); found != m_cacheDataDictionary.end()) {
            newestFirst.push_back(found->second);
        }
    }
    return newestFirst;
}

// Both walks go over a snapshot: cancelling may run the engine's failure events at once, and
// those reach the registry again.
std::vector<Q7ZDownloadDataSingleton::DownloadDataPtr> Q7ZDownloadDataSingleton::snapshotOfRecords() const {
    std::vector<DownloadDataPtr> records;
    records.reserve(m_cacheDataDictionary.size());
    for (const auto& [requestID, data] : m_cacheDataDictionary) records.push_back(data);
    return records;
}

void Q7ZDownloadDataSingleton::cancelAllDownloader() {
    assertMainThread();
    for (const auto& data : snapshotOfRecords()) {
        if (data->currentstatus() != Q7ZDownloadStatus::Downloading) continue;
        if (const auto download = data->urlDownload()) download->cancel();
        data->setCurrentstatus(Q7ZDownloadStatus::Failed);
    }
}

void Q7ZDownloadDataSingleton::cleanAllNoDownloadingHistory() {
    assertMainThread();
    for (const auto& data : snapshotOfRecords()) {
        // By the record's own ID: removing by its transfer could take another record of the
        // same transfer, even a running one.
        if (data->currentstatus() != Q7ZDownloadStatus::Downloading && data->urlDownload()) {
            removeDownloadDataWithRequestID(data->requestID());
        }
    }
}
