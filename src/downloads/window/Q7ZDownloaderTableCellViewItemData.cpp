#include "downloads/window/Q7ZDownloaderTableCellViewItemData.h"

#include <giomm/contenttype.h>
#include <glibmm/miscutils.h>
#include <gtkmm/icontheme.h>

#include "platform/Bundle.h"
#include "utility/Q7ZACUtility.h"

namespace {

constexpr const char* kFallbackIconName = "text-x-generic";

const char* failureKey(Q7ZDownloadFailure failure) {
    switch (failure) {
    case Q7ZDownloadFailure::Cancelled: return "DownloadCancelled";
    case Q7ZDownloadFailure::Network: return "DownloadConnectionFailed";
    case Q7ZDownloadFailure::Server: return "DownloadNotSent";
    case Q7ZDownloadFailure::Disk: return "DownloadNotWritten";
    case Q7ZDownloadFailure::None: break;
    }
    return nullptr;
}

// A failed download says why; a size nobody told is not shown.
std::string sizeText(const Q7ZDownloadData& record) {
    if (record.currentstatus() == Q7ZDownloadStatus::Failed)
        if (const char* key = failureKey(record.failure())) return localizedString(key);
    if (record.totalDataLenght() < 0) return {};
    return Q7ZACUtility::getFileSizeDescriptionFromOriginSize(record.totalDataLenght());
}

}  // namespace

void Q7ZDownloaderTableCellViewItemData::setDownloadData(std::shared_ptr<Q7ZDownloadData> data) {
    m_downloadData = std::move(data);
    m_fileNameString.clear();
    m_fileSizeString.clear();
    m_fileIcon.reset();
    m_grayscaleFileIcon.reset();
    if (!m_downloadData) return;
    const std::string& path = m_downloadData->savePathString();
    m_fileNameString = path.empty() ? m_downloadData->fileName() : Glib::path_get_basename(path);
    m_fileSizeString = sizeText(*m_downloadData);
    m_fileIcon = getIconImageWithFilePath(m_fileNameString);
    m_grayscaleFileIcon = imageToGreyImage(m_fileIcon);
}

int Q7ZDownloaderTableCellViewItemData::getRowHeight() const {
    const bool downloading = m_downloadData && m_downloadData->currentstatus() == Q7ZDownloadStatus::Downloading;
    return downloading ? 130 : 110;
}

Glib::RefPtr<Gdk::Pixbuf> Q7ZDownloaderTableCellViewItemData::getIconImageWithFilePath(const std::string& path) {
    bool uncertain = false;
    const auto contentType = Gio::content_type_guess(Glib::path_get_basename(path), nullptr, 0, uncertain);
    const auto theme = Gtk::IconTheme::get_default();
    // The theme's pixbufs are shared and cached by the theme; every row of one type gets the same.
    try {
        if (auto info =
                theme->lookup_icon(Gio::content_type_get_icon(contentType), kIconSize, Gtk::ICON_LOOKUP_FORCE_SIZE)) {
            return info.load_icon();
        }
        return theme->load_icon(kFallbackIconName, kIconSize, Gtk::ICON_LOOKUP_FORCE_SIZE);
    } catch (const Glib::Error& error) {
        g_debug("No icon for %s: %s", contentType.c_str(), error.what().c_str());
        return {};
    }
}

Glib::RefPtr<Gdk::Pixbuf> Q7ZDownloaderTableCellViewItemData::imageToGreyImage(const Glib::RefPtr<Gdk::Pixbuf>& image) {
    if (!image) return {};
    auto grey = image->copy();
    gdk_pixbuf_saturate_and_pixelate(image->gobj(), grey->gobj(), 0.0F, FALSE);
    return grey;
}
