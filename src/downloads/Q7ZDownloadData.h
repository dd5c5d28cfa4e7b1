#pragma once
// One download as the program tracks it: identity, destination, sizes, the engine transfer
// filling it (none for a page download) and its state. Records are shared: the registry and
// the downloads window's rows hold the same object, so a row reads progress live from it.

#include <cstdint>
#include <memory>
#include <string>

#include "downloads/Q7ZDownloadStatus.h"
#include "downloads/Q7ZURLDownload.h"

class Q7ZDownloadData {
public:
    // Unique among registered records; the web host sets a fresh UUID before registering.
    const std::string& requestID() const { return m_requestID; }
    void setRequestID(std::string requestID) { m_requestID = std::move(requestID); }

    // Full path of the file on disk, "" until the destination is known.
    const std::string& savePathString() const { return m_savePathString; }
    void setSavePathString(std::string path) { m_savePathString = std::move(path); }

    // The file's name as announced, shown while there is no save path (the transfer has not
    // placed its file yet, or failed before it could).
    const std::string& fileName() const { return m_fileName; }
    void setFileName(std::string name) { m_fileName = std::move(name); }

    // The address to fetch again when the user tries a failed download once more; "" when it
    // cannot be fetched again as it was (a form's answer, a blob: or data: address).
    const std::string& retryUrl() const { return m_retryUrl; }
    void setRetryUrl(std::string url) { m_retryUrl = std::move(url); }

    // Expected size in bytes; -1 when the server does not tell.
    std::int64_t totalDataLenght() const { return m_totalDataLenght; }
    void setTotalDataLenght(std::int64_t length) { m_totalDataLenght = length; }

    // Bytes received so far.
    std::int64_t countDataLenght() const { return m_countDataLenght; }
    void setCountDataLenght(std::int64_t length) { m_countDataLenght = length; }

    const std::shared_ptr<Q7ZURLDownload>& urlDownload() const { return m_urlDownload; }
    void setUrlDownload(std::shared_ptr<Q7ZURLDownload> download) { m_urlDownload = std::move(download); }

    Q7ZDownloadStatus currentstatus() const { return m_currentstatus; }
    void setCurrentstatus(Q7ZDownloadStatus status) { m_currentstatus = status; }

    Q7ZDownloadFailure failure() const { return m_failure; }
    // Failed, for that reason.
    void fail(Q7ZDownloadFailure failure) {
        m_currentstatus = Q7ZDownloadStatus::Failed;
        m_failure = failure;
    }

private:
    std::string m_requestID;
    std::string m_savePathString;
    std::string m_fileName;
    std::string m_retryUrl;
    std::int64_t m_totalDataLenght = 0;
    std::int64_t m_countDataLenght = 0;
    std::shared_ptr<Q7ZURLDownload> m_urlDownload;
    Q7ZDownloadStatus m_currentstatus = Q7ZDownloadStatus::None;
    Q7ZDownloadFailure m_failure = Q7ZDownloadFailure::None;
};
