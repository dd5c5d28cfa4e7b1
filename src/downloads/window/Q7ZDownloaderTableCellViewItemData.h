#pragma once
// One row's model: the record it shows and what is derived from it once, when the record is
// set (name, size text, icons). State and progress are read from the record at every layout.

#include <memory>
#include <string>

#include <gdkmm/pixbuf.h>

#include "downloads/Q7ZDownloadData.h"

class Q7ZDownloaderTableCellViewItemData {
public:
    static constexpr int kIconSize = 32;

    const std::shared_ptr<Q7ZDownloadData>& downloadData() const { return m_downloadData; }
    void setDownloadData(std::shared_ptr<Q7ZDownloadData> data);

    const Glib::RefPtr<Gdk::Pixbuf>& fileIcon() const { return m_fileIcon; }
    const Glib::RefPtr<Gdk::Pixbuf>& grayscaleFileIcon() const { return m_grayscaleFileIcon; }
    const std::string& fileNameString() const { return m_fileNameString; }
    const std::string& fileSizeString() const { return m_fileSizeString; }

    // 130 while downloading (room for the progress bar), 110 otherwise.
    int getRowHeight() const;

    // The icon theme's icon for the type of the file the path names (by its name only).
    static Glib::RefPtr<Gdk::Pixbuf> getIconImageWithFilePath(const std::string& path);
    // A grey copy; none for none.
    static Glib::RefPtr<Gdk::Pixbuf> imageToGreyImage(const Glib::RefPtr<Gdk::Pixbuf>& image);

private:
    std::shared_ptr<Q7ZDownloadData> m_downloadData;
    Glib::RefPtr<Gdk::Pixbuf> m_fileIcon;
    Glib::RefPtr<Gdk::Pixbuf> m_grayscaleFileIcon;
    std::string m_fileNameString;
    std::string m_fileSizeString;
};
