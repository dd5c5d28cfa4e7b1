#pragma once
// A download record's handle on one transfer of the web engine.

#include <webkit2/webkit2.h>

#include "downloads/Q7ZURLDownload.h"
#include "platform/GObjectPtr.h"

class Q7ZEngineDownload : public Q7ZURLDownload {
public:
    explicit Q7ZEngineDownload(WebKitDownload* download) : m_download(WEBKIT_DOWNLOAD(g_object_ref(download))) {}

    void cancel() override { webkit_download_cancel(m_download.get()); }
    const void* identity() const override { return m_download.get(); }

private:
    GObjectPtr<WebKitDownload> m_download;
};
