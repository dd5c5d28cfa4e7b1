#include "downloads/window/Q7ZDownloaderTableCellView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <gdkmm/general.h>
#include <glibmm/convert.h>
#include <glibmm/markup.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/settings.h>

#include "controls/GdkColors.h"
#include "controls/StyleSheets.h"
#include "platform/Bundle.h"

namespace {

// Points, from the card's top-left corner.
constexpr int kStripBelowCard = 10;
constexpr int kIconWidth = 80;
constexpr int kTextLeft = 106;  // divider's right edge + 15 + 10
constexpr int kCloseSize = 22;
constexpr int kCloseInset = 27;
constexpr int kCloseTop = kCloseInset - kCloseSize;
constexpr int kNameTop = 15;
constexpr int kGapBelowText = 3;
constexpr int kProgressBarHeight = 20;
constexpr int kLinkBottom = 10;
constexpr int kFailureTextReserve = 121;  // kTextLeft + the gaps around the failure text

Gdk::RGBA color(const char* hex) { return GdkColors::gdkColorWithRGBHexString(hex); }

Glib::ustring markupColor(const Gdk::RGBA& rgba) {
    const auto component = [](double value) {
        return static_cast<unsigned>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", component(rgba.get_red()), component(rgba.get_green()),
                  component(rgba.get_blue()));
    return text;
}

Pango::FontDescription systemFont(int pixels, Pango::Weight weight) {
    Pango::FontDescription font(Gtk::Settings::get_default()->property_gtk_font_name().get_value());
    font.set_absolute_size(pixels * PANGO_SCALE);
    font.set_weight(weight);
    return font;
}

Glib::RefPtr<Gdk::Pixbuf> resourceImage(const std::string& name) {
    if (const auto path = Bundle::mainBundle().pathForResource(name, "png")) {
        try {
            return Gdk::Pixbuf::create_from_file(*path);
        } catch (const Glib::Error& error) {
            g_warning("Cannot read the image %s: %s", path->c_str(), error.what().c_str());
        }
    }
    return {};
}

// Without the bundle's own images the close button still shows the theme's close symbol.
Glib::RefPtr<Gdk::Pixbuf> closeImage(const std::string& name) {
    if (auto image = resourceImage(name)) return image;
    try {
        return Gtk::IconTheme::get_default()->load_icon("window-close-symbolic", 16, Gtk::ICON_LOOKUP_FORCE_SIZE);
    } catch (const Glib::Error&) {
        return {};
    }
}

void setAccessibleName(Gtk::Widget& widget, const Glib::ustring& name) {
    if (auto accessible = widget.get_accessible(); accessible && accessible->get_name() != name)
        accessible->set_name(name);
}

}  // namespace

Q7ZDownloaderTableCellView::Q7ZDownloaderTableCellView()
    : m_nameFont(systemFont(18, Pango::WEIGHT_BOLD)),
      m_linkFont(systemFont(18, Pango::WEIGHT_NORMAL)),
      m_sizeFont(systemFont(14, Pango::WEIGHT_NORMAL)),
      m_failureFont(systemFont(18, Pango::WEIGHT_BOLD)) {
    m_cardColor = color("FFFFFF");
    StyleSheets::require("windows");
    buildSubviews();
    makeTitles();
}

void Q7ZDownloaderTableCellView::buildSubviews() {
    put(m_backgroundView, 0, 0);
    m_backgroundView.signal_draw().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_backgroundView_draw),
                                           false);
    m_lineView.signal_draw().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_lineView_draw));

    // Later ones lie above earlier ones.
    for (Gtk::Widget* view : std::initializer_list<Gtk::Widget*>{
             &m_fileIconImageView, &m_lineView, &m_fileNameButton, &m_fileSizeTextField, &m_progressBar,
             &m_openFileFolderButton, &m_cancelButton, &m_retryButton, &m_failureTextField, &m_closeButton}) {
        m_backgroundView.put(*view, 0, 0);
        view->show();
    }
    m_backgroundView.show();
    // Tab reads the row as a person does: the name, then its links, then the close button
    // (which sits higher, at the card's top right, and would come first by position).
    m_backgroundView.set_focus_chain(
        {&m_fileNameButton, &m_openFileFolderButton, &m_cancelButton, &m_retryButton, &m_closeButton});

    for (auto* button : {&m_fileNameButton, &m_openFileFolderButton, &m_cancelButton, &m_retryButton, &m_closeButton})
        styleLinkButton(*button);
    for (auto* button : {&m_openFileFolderButton, &m_cancelButton, &m_retryButton, &m_closeButton})
        button->setEnableCursor(true);

    m_fileSizeTextField.set_xalign(0.0F);
    m_fileSizeTextField.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
    m_failureTextField.set_xalign(1.0F);
    m_progressBar.set_fraction(0.0);

    m_closeButtonImage = closeImage("btn_close");
    m_closeButtonPressedImage = closeImage("btn_close_press");
    m_closeImage.set(m_closeButtonImage);
    m_closeImage.show();
    m_closeButton.add(m_closeImage);
    m_closeButton.set_tooltip_text(localizedString("RemoveFromList"));
    setAccessibleName(m_closeButton, m_closeButton.get_tooltip_text());

    m_fileNameButton.signal_clicked().connect(
        sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_fileNameButton_clicked));
    m_openFileFolderButton.signal_clicked().connect(
        sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_openFileFolderButton_clicked));
    m_cancelButton.signal_clicked().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_cancelButton_clicked));
    m_retryButton.signal_clicked().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_retryButton_clicked));
    m_fileNameButton.signal_drag_data_get().connect(
        sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_fileNameButton_drag_data_get));
    m_closeButton.signal_clicked().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_closeButton_clicked));
    m_closeButton.signal_pressed().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_closeButton_pressed));
    m_closeButton.signal_released().connect(sigc::mem_fun(*this, &Q7ZDownloaderTableCellView::on_closeButton_released));
}

void Q7ZDownloaderTableCellView::styleLinkButton(Q7ZCursorButton& button) {
    button.set_relief(Gtk::RELIEF_NONE);
    button.set_focus_on_click(false);
    button.get_style_context()->add_class("velloq-link-button");
    if (&button == &m_closeButton) return;
    Gtk::Label& label = buttonLabel(button);
    label.set_xalign(0.0F);
    label.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
}

Gtk::Label& Q7ZDownloaderTableCellView::buttonLabel(Q7ZCursorButton& button) {
    if (!dynamic_cast<Gtk::Label*>(button.get_child())) button.set_label({});
    return *dynamic_cast<Gtk::Label*>(button.get_child());
}

// The texts that depend only on the model and the language, made once per model.
void Q7ZDownloaderTableCellView::makeTitles() {
    const auto blue = color("3468D6");
    const auto grey = color("808080");
    const auto titles = [&](const Glib::ustring& text, const Pango::FontDescription& font) {
        return NameTitles{getAttributedString(text, font, blue, false, false),
                          getAttributedString(text, font, blue, true, false),
                          getAttributedString(text, font, grey, false, true)};
    };
    const Glib::ustring fileName = m_itemData ? m_itemData->fileNameString() : "";
    m_nameTitles = titles(fileName, m_nameFont);
    setAccessibleName(m_fileNameButton, fileName);
    setAccessibleName(m_progressBar, fileName);
    if (!m_openFolderTitles.normal.empty()) return;
    const Glib::ustring openFolder = localizedString("m3227");
    const Glib::ustring cancel = localizedString("m10");
    const Glib::ustring retry = localizedString("TryAgain");
    m_openFolderTitles = titles(openFolder, m_linkFont);
    m_retryTitles = titles(retry, m_linkFont);
    setAccessibleName(m_retryButton, retry);
    m_cancelTitle = getAttributedString(cancel, m_linkFont, grey, false, false);
    m_cancelHoverTitle = getAttributedString(cancel, m_linkFont, grey, true, false);
    setAccessibleName(m_openFileFolderButton, openFolder);
    setAccessibleName(m_cancelButton, cancel);
}

void Q7ZDownloaderTableCellView::setItemData(std::shared_ptr<Q7ZDownloaderTableCellViewItemData> itemData) {
    if (itemData != m_itemData) {
        m_itemData = std::move(itemData);
        makeTitles();
    }
    layoutSubviews();
}

void Q7ZDownloaderTableCellView::setFrameSize(int width, int height) {
    m_width = width;
    m_height = height;
    int currentWidth = 0, currentHeight = 0;
    get_size_request(currentWidth, currentHeight);
    if (currentWidth != width || currentHeight != height) set_size_request(width, height);
}

void Q7ZDownloaderTableCellView::layoutSubviews() {
    if (!m_itemData || !m_itemData->downloadData()) return;
    const Q7ZDownloadStatus status = m_itemData->downloadData()->currentstatus();
    const bool downloading = status == Q7ZDownloadStatus::Downloading;
    const bool finished = status == Q7ZDownloadStatus::Finished;
    const bool failed = status == Q7ZDownloadStatus::Failed || status == Q7ZDownloadStatus::FileMissing;

    // The state first: the frames below depend on the texts it chooses.
    setCardColor(color(failed ? "F7F9F9" : "FFFFFF"));
    const auto& icon = downloading || finished ? m_itemData->fileIcon() : m_itemData->grayscaleFileIcon();
    if (m_fileIconImageView.get_pixbuf() != icon) m_fileIconImageView.set(icon);
    setButtonTitles(m_fileNameButton, failed ? m_nameTitles.struckThrough : m_nameTitles.normal,
                    finished ? std::optional(m_nameTitles.underlined) : std::nullopt, m_nameFit);
    if (m_fileNameButton.enableCursor() != finished) {
        m_fileNameButton.setEnableCursor(finished);
        m_fileNameButton.resetCursorRects();
    }
    setButtonTitles(m_openFileFolderButton, failed ? m_openFolderTitles.struckThrough : m_openFolderTitles.normal,
                    failed ? std::nullopt : std::optional(m_openFolderTitles.underlined), m_openFolderFit);
    setButtonTitles(m_cancelButton, m_cancelTitle, m_cancelHoverTitle, m_cancelFit);
    setButtonTitles(m_retryButton, m_retryTitles.normal, m_retryTitles.underlined, m_retryFit);
    setLabelMarkup(m_fileSizeTextField,
                   getAttributedString(m_itemData->fileSizeString(), m_sizeFont, color("808080"), false, false),
                   m_sizeFit);
    const char* failureKey = status == Q7ZDownloadStatus::Failed        ? "m46"
                             : status == Q7ZDownloadStatus::FileMissing ? "m3228"
                                                                        : "";
    setLabelMarkup(m_failureTextField,
                   *failureKey
                       ? getAttributedString(localizedString(failureKey), m_failureFont, color("000000"), false, false)
                       : Glib::ustring(),
                   m_failureFit);
    m_progressBar.set_visible(downloading);
    m_cancelButton.set_visible(downloading);
    m_openFileFolderButton.set_visible(finished);
    m_retryButton.set_visible(status == Q7ZDownloadStatus::Failed && !m_itemData->downloadData()->retryUrl().empty());
    m_failureTextField.set_visible(failed);
    offerFileForDragging(finished);
    m_closeButton.set_visible(finished || failed);

    const int cardWidth = m_width;
    const int cardHeight = std::max(0, m_height - kStripBelowCard);
    setFrame(m_backgroundView, {0, 0, cardWidth, cardHeight});
    setFrame(m_lineView, {kIconWidth, 0, 1, cardHeight});
    setFrame(m_fileIconImageView, {0, 0, kIconWidth, cardHeight});
    const int closeX = cardWidth - kCloseInset;
    setFrame(m_closeButton, {closeX, kCloseTop, kCloseSize, kCloseSize});
    const int textWidth = std::max(0, closeX - kTextLeft);

    int nameWidth = std::min(m_nameFit.width, textWidth);
    const int sizeTop = kNameTop + m_nameFit.height + kGapBelowText;
    setFrame(m_fileSizeTextField, {kTextLeft, sizeTop, std::min(m_sizeFit.width + 10, textWidth), m_sizeFit.height});
    setFrame(m_progressBar, {kTextLeft, sizeTop + m_sizeFit.height + kGapBelowText, textWidth, kProgressBarHeight});
    const auto& record = *m_itemData->downloadData();
    const double fraction = record.totalDataLenght() > 0 ? static_cast<double>(record.countDataLenght()) /
                                                               static_cast<double>(record.totalDataLenght())
                                                         : 0.0;
    if (m_progressBar.get_fraction() != std::clamp(fraction, 0.0, 1.0))
        m_progressBar.set_fraction(std::clamp(fraction, 0.0, 1.0));
    const auto placeLink = [&](Q7ZCursorButton& link, const FittedSize& fit) {
        setFrame(link, {kTextLeft, cardHeight - kLinkBottom - fit.height, std::min(fit.width, textWidth), fit.height});
    };
    placeLink(m_openFileFolderButton, m_openFolderFit);
    placeLink(m_cancelButton, m_cancelFit);
    placeLink(m_retryButton, m_retryFit);

    nameWidth = std::max(0, std::min(nameWidth + 10, closeX - kFailureTextReserve - m_failureFit.width));
    setFrame(m_fileNameButton, {kTextLeft, kNameTop, nameWidth, m_nameFit.height});
    setFrame(m_failureTextField, {kTextLeft + nameWidth + 10, kNameTop, m_failureFit.width, m_failureFit.height});
}

Glib::ustring Q7ZDownloaderTableCellView::getAttributedString(const Glib::ustring& text,
                                                              const Pango::FontDescription& font,
                                                              const Gdk::RGBA& color, bool underline,
                                                              bool strikethrough) {
    Glib::ustring markup = "<span font_desc=\"" + Glib::Markup::escape_text(font.to_string()) + "\" foreground=\"" +
                           markupColor(color) + "\"";
    if (underline) markup += " underline=\"single\"";
    if (strikethrough) markup += " strikethrough=\"true\"";
    return markup + ">" + Glib::Markup::escape_text(text) + "</span>";
}

void Q7ZDownloaderTableCellView::setFrame(Gtk::Widget& view, const Frame& frame) {
    int width = 0, height = 0;
    view.get_size_request(width, height);
    if (width != frame.width || height != frame.height) view.set_size_request(frame.width, frame.height);
    auto* parent = dynamic_cast<Gtk::Fixed*>(view.get_parent());
    if (!parent) return;
    int x = 0, y = 0;
    gtk_container_child_get(GTK_CONTAINER(parent->gobj()), view.gobj(), "x", &x, "y", &y, nullptr);
    if (x != frame.x || y != frame.y) parent->move(view, frame.x, frame.y);
}

// A title set again while the pointer is over the button would drop its hover title; an
// unchanged one is left alone.
void Q7ZDownloaderTableCellView::setButtonTitles(Q7ZCursorButton& button, const Glib::ustring& title,
                                                 const std::optional<Glib::ustring>& hoverTitle,
                                                 FittedSize& fittedSize) {
    button.setHighlightString(hoverTitle);
    if (button.normalString() == title) return;
    button.setNormalString(title);
    buttonLabel(button).set_markup(title);
    fittedSize = measureMarkup(title);
}

void Q7ZDownloaderTableCellView::setLabelMarkup(Gtk::Label& label, const Glib::ustring& markup,
                                                FittedSize& fittedSize) {
    if (label.get_label() == markup && fittedSize.height > 0) return;
    label.set_markup(markup);
    fittedSize = measureMarkup(markup);
}

// Measured apart from the view, whose own preferred size grows with the size it was given.
Q7ZDownloaderTableCellView::FittedSize Q7ZDownloaderTableCellView::measureMarkup(const Glib::ustring& markup) {
    auto layout = create_pango_layout("");
    layout->set_markup(markup);
    FittedSize size;
    layout->get_pixel_size(size.width, size.height);
    return size;
}

void Q7ZDownloaderTableCellView::setCardColor(const Gdk::RGBA& color) {
    if (color == m_cardColor) return;
    m_cardColor = color;
    m_backgroundView.queue_draw();
}

bool Q7ZDownloaderTableCellView::on_backgroundView_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    Gdk::Cairo::set_source_rgba(context, m_cardColor);
    context->paint();
    return false;
}

bool Q7ZDownloaderTableCellView::on_lineView_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    Gdk::Cairo::set_source_rgba(context, color("D8D8D8"));
    context->paint();
    return true;
}

void Q7ZDownloaderTableCellView::on_fileNameButton_clicked() {
    const auto data = m_itemData ? m_itemData->downloadData() : nullptr;
    if (m_delegate && data && data->currentstatus() == Q7ZDownloadStatus::Finished) {
        m_delegate->downloaderOpenFileWithDownloadData(data);
    }
}

void Q7ZDownloaderTableCellView::on_openFileFolderButton_clicked() {
    if (const auto data = m_itemData ? m_itemData->downloadData() : nullptr; m_delegate && data) {
        m_delegate->downloaderOpenFileFolderWithDownloadData(data);
    }
}

void Q7ZDownloaderTableCellView::on_cancelButton_clicked() {
    if (const auto data = m_itemData ? m_itemData->downloadData() : nullptr; m_delegate && data) {
        m_delegate->downloaderCancelWithDownloadData(data);
    }
}

void Q7ZDownloaderTableCellView::on_retryButton_clicked() {
    if (const auto data = m_itemData ? m_itemData->downloadData() : nullptr; m_delegate && data) {
        m_delegate->downloaderRetryWithDownloadData(data);
    }
}

void Q7ZDownloaderTableCellView::offerFileForDragging(bool finished) {
    if (finished == m_offersFile) return;
    m_offersFile = finished;
    if (finished)
        m_fileNameButton.drag_source_set({Gtk::TargetEntry("text/uri-list")}, Gdk::BUTTON1_MASK, Gdk::ACTION_COPY);
    else m_fileNameButton.drag_source_unset();
}

void Q7ZDownloaderTableCellView::on_fileNameButton_drag_data_get(const Glib::RefPtr<Gdk::DragContext>&,
                                                                 Gtk::SelectionData& selection, guint, guint) {
    const auto data = m_itemData ? m_itemData->downloadData() : nullptr;
    if (!data || data->currentstatus() != Q7ZDownloadStatus::Finished) return;
    try {
        selection.set_uris({Glib::filename_to_uri(data->savePathString())});
    } catch (const Glib::ConvertError& error) {
        g_warning("cannot offer %s for dragging: %s", data->savePathString().c_str(), error.what().c_str());
    }
}

void Q7ZDownloaderTableCellView::on_closeButton_clicked() {
    if (const auto data = m_itemData ? m_itemData->downloadData() : nullptr; m_delegate && data) {
        m_delegate->downloaderCleanWithDownloadData(data);
    }
}

void Q7ZDownloaderTableCellView::on_closeButton_pressed() { m_closeImage.set(m_closeButtonPressedImage); }

void Q7ZDownloaderTableCellView::on_closeButton_released() { m_closeImage.set(m_closeButtonImage); }
