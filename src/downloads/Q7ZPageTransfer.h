#pragma once
// A download record's handle on one running page download: cancelling it stops the fetch.

#include <memory>

#include "downloads/Q7ZPageDownload.h"
#include "downloads/Q7ZURLDownload.h"

class Q7ZPageTransfer : public Q7ZURLDownload {
public:
    explicit Q7ZPageTransfer(std::shared_ptr<Q7ZPageDownload::Progress> progress) : m_progress(std::move(progress)) {}

    void cancel() override { m_progress->cancelled = true; }
    const void* identity() const override { return m_progress.get(); }

private:
    std::shared_ptr<Q7ZPageDownload::Progress> m_progress;
};
