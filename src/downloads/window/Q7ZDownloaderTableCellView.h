#pragma once
// One row of the downloads window: on a card, the file's icon, a divider, the name (which opens
// a finished file), the size text, and by the record's state a progress bar, a cancel link, a
// link that shows the file in its folder, a failure text, a link that tries a failed download
// again and a close button. A finished file can be dragged out by its name (text/uri-list). Every click goes
// to the delegate; the row never acts on a download itself.
//
// Layout follows fixed point positions; layoutSubviews() re-reads the record's state and sizes
// and touches only what changed, so a progress update costs next to nothing.

#include <memory>

#include <gdkmm/pixbuf.h>
#include <gdkmm/rgba.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/fixed.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>
#include <pangomm/fontdescription.h>

#include "controls/Q7ZCursorButton.h"
#include "downloads/window/Q7ZDownloadDataDelegate.h"
#include "downloads/window/Q7ZDownloaderTableCellViewItemData.h"

class Q7ZDownloaderTableCellView : public Gtk::Fixed {
public:
    Q7ZDownloaderTableCellView();

    const std::shared_ptr<Q7ZDownloaderTableCellViewItemData>& itemData() const { return m_itemData; }
    // Lays the row out again, even for the same model.
    void setItemData(std::shared_ptr<Q7ZDownloaderTableCellViewItemData> itemData);

    Q7ZDownloadDataDelegate* delegate() const { return m_delegate; }
    void setDelegate(Q7ZDownloadDataDelegate* delegate) { m_delegate = delegate; }

    // The row's size; the card leaves a 10-point strip of the table below it.
    void setFrameSize(int width, int height);
    void layoutSubviews();

    // Pango markup of text in the font and colour, middle truncation being the label's part.
    static Glib::ustring getAttributedString(const Glib::ustring& text, const Pango::FontDescription& font,
                                             const Gdk::RGBA& color, bool underline, bool strikethrough);

private:
    struct Frame {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };
    // A text's own size, whatever size its view was given.
    struct FittedSize {
        int width = 0;
        int height = 0;
    };
    struct NameTitles {
        Glib::ustring normal;
        Glib::ustring underlined;
        Glib::ustring struckThrough;
    };

    void buildSubviews();
    void styleLinkButton(Q7ZCursorButton& button);
    Gtk::Label& buttonLabel(Q7ZCursorButton& button);
    void makeTitles();
    void setFrame(Gtk::Widget& view, const Frame& frame);
    void setButtonTitles(Q7ZCursorButton& button, const Glib::ustring& title,
                         const std::optional<Glib::ustring>& hoverTitle, FittedSize& fittedSize);
    void setLabelMarkup(Gtk::Label& label, const Glib::ustring& markup, FittedSize& fittedSize);
    FittedSize measureMarkup(const Glib::ustring& markup);
    void setCardColor(const Gdk::RGBA& color);
    bool on_backgroundView_draw(const Cairo::RefPtr<Cairo::Context>& context);
    bool on_lineView_draw(const Cairo::RefPtr<Cairo::Context>& context);
    void on_fileNameButton_clicked();
    void on_openFileFolderButton_clicked();
    void on_cancelButton_clicked();
    void on_retryButton_clicked();
    void on_fileNameButton_drag_data_get(const Glib::RefPtr<Gdk::DragContext>& context, Gtk::SelectionData& selection,
                                         guint info, guint time);
    void offerFileForDragging(bool finished);
    void on_closeButton_clicked();
    void on_closeButton_pressed();
    void on_closeButton_released();

    std::shared_ptr<Q7ZDownloaderTableCellViewItemData> m_itemData;
    Q7ZDownloadDataDelegate* m_delegate = nullptr;
    int m_width = 0;
    int m_height = 0;

    Gtk::Fixed m_backgroundView;
    Gtk::Image m_fileIconImageView;
    Gtk::DrawingArea m_lineView;
    Q7ZCursorButton m_fileNameButton;
    Gtk::Label m_fileSizeTextField;
    Gtk::ProgressBar m_progressBar;
    Q7ZCursorButton m_openFileFolderButton;
    Q7ZCursorButton m_cancelButton;
    Q7ZCursorButton m_retryButton;
    Gtk::Label m_failureTextField;
    Q7ZCursorButton m_closeButton;
    Gtk::Image m_closeImage;

    Glib::RefPtr<Gdk::Pixbuf> m_closeButtonImage;
    Glib::RefPtr<Gdk::Pixbuf> m_closeButtonPressedImage;
    Gdk::RGBA m_cardColor;
    Pango::FontDescription m_nameFont;
    Pango::FontDescription m_linkFont;
    Pango::FontDescription m_sizeFont;
    Pango::FontDescription m_failureFont;
    NameTitles m_nameTitles;
    NameTitles m_openFolderTitles;
    Glib::ustring m_cancelTitle;
    Glib::ustring m_cancelHoverTitle;
    NameTitles m_retryTitles;
    bool m_offersFile = false;
    FittedSize m_nameFit;
    FittedSize m_sizeFit;
    FittedSize m_openFolderFit;
    FittedSize m_cancelFit;
    FittedSize m_retryFit;
    FittedSize m_failureFit;
};
