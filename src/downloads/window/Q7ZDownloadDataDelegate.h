#pragma once
// What a row of the downloads window asks of its owner, for the row's record. The window never
// acts on a download itself.

#include <memory>

#include "downloads/Q7ZDownloadData.h"

class Q7ZDownloadDataDelegate {
public:
    virtual ~Q7ZDownloadDataDelegate() = default;

    // The name of a finished download was clicked.
    virtual void downloaderOpenFileWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) = 0;
    // The link that shows the file in its folder was clicked.
    virtual void downloaderOpenFileFolderWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) = 0;
    // The cancel link of a running download was clicked.
    virtual void downloaderCancelWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) = 0;
    // The "Try Again" link of a failed download that can be fetched again was clicked.
    virtual void downloaderRetryWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) = 0;
    // The row's close button was clicked: the record leaves the list.
    virtual void downloaderCleanWithDownloadData(const std::shared_ptr<Q7ZDownloadData>& data) = 0;
};
