#pragma once
// The process-wide registry of download records, in the order they were registered. Nothing
// of it is written to disk; it lives until the program ends.
//
// Only getInstance() is thread-safe. Every other operation belongs to the main thread (the
// GTK main loop): a worker hands its registration over with MainThread::runSync or runAsync.
// Debug builds assert it.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "downloads/Q7ZDownloadData.h"

class Q7ZDownloadDataSingleton {
public:
    using DownloadDataPtr = std::shared_ptr<Q7ZDownloadData>;

    static Q7ZDownloadDataSingleton& getInstance();

    Q7ZDownloadDataSingleton(const Q7ZDownloadDataSingleton&) = delete;
    Q7ZDownloadDataSingleton& operator=(const Q7ZDownloadDataSingleton&) = delete;

    // Registers the record as the newest. A record whose ID is registered already moves to the
    // newest place instead of standing in the order twice.
    void addDownloadData(const DownloadDataPtr& data);
    // Unregisters the first record filled by that transfer; none, or an unknown one, does nothing.
    void removeDownloadDataWithRequestID(const std::string& requestID);
    // The first record filled by that transfer, or none. Records without a transfer never match.
    DownloadDataPtr getDownloadDataWithURLDownload(const Q7ZURLDownload* download) const;
    // Newest first.
    std::vector<DownloadDataPtr> getAllDownloadDataArray() const;

    // Cancels every running transfer and marks its record Failed; the records stay registered.
    void cancelAllDownloader();
    // Unregisters every record that has a transfer and is not running. Page downloads' records,
    // which have none, stay.
    void cleanAllNoDownloadingHistory();

private:
    Q7ZDownloadDataSingleton() = default;

    std::vector<DownloadDataPtr> snapshotOfRecords() const;

    std::vector<std::string> m_cacheSequenceArray;  // request IDs, oldest first
    std::map<std::string, DownloadDataPtr> m_cacheDataDictionary;
};
