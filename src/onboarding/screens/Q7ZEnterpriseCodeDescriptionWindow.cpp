#include "onboarding/screens/Q7ZEnterpriseCodeDescriptionWindow.h"

#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include "controls/StyleSheets.h"
#include "onboarding/screens/BundleImages.h"
#include "onboarding/screens/Q7ZInformationPageWindow.h"
#include "platform/Bundle.h"

namespace {

constexpr int kCloseButtonSize = 22;
constexpr int kCloseButtonMargin = 10;
constexpr int kTextMargin = 14;
constexpr int kTextWidth = Q7ZEnterpriseCodeDescriptionWindow::kContentWidth - 2 * kTextMargin;
constexpr int kTitleTop = 32;
constexpr int kTitleLines = 2;
constexpr int kTitleDescriptionGap = 8;
constexpr int kDescriptionLines = 5;
constexpr int kTextApplyGap = 4;
constexpr int kApplyButtonBottom = 40;

// Gtk::Fixed gives a child its preferred size, which is known once it is shown and in place
// with its style.
int preferredWidth(Gtk::Widget& widget) {
    int minimum = 0, natural = 0;
    widget.get_preferred_width(minimum, natural);
    return natural;
}

int preferredHeightForWidth(Gtk::Widget& widget, int width) {
    int minimum = 0, natural = 0;
    widget.get_preferred_height_for_width(width, minimum, natural);
    return natural;
}

}  // namespace

Q7ZEnterpriseCodeDescriptionWindow::Q7ZEnterpriseCodeDescriptionWindow(Gtk::Window& mainWindow)
    : m_mainWindow(mainWindow) {
    StyleSheets::require("description-window");
    set_name("Q7ZEnterpriseCodeDescriptionWindow");
    set_title(localizedString("m3059"));  // not drawn, but named for the desktop and assistive technologies
    set_decorated(false);
    set_resizable(false);
    set_skip_taskbar_hint(true);
    set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    m_contentView.set_size_request(kContentWidth, kContentHeight);
    add(m_contentView);
    set_transient_for(mainWindow);
    set_position(Gtk::WIN_POS_CENTER_ON_PARENT);  // the panel's centre on the main window's centre
    layoutSubviews();
    m_contentView.show();
}

Q7ZEnterpriseCodeDescriptionWindow::~Q7ZEnterpriseCodeDescriptionWindow() { m_delegate = nullptr; }

void Q7ZEnterpriseCodeDescriptionWindow::layoutSubviews() {
    for (auto* child : m_contentView.get_children()) m_contentView.remove(*child);
    placeCloseButton();
    const int textBottom = placeApplyButton() - kTextApplyGap;
    const int titleBottom =
        placeCentredLabel(localizedString("m3059"), "description-title", kTitleTop, kTitleLines, textBottom);
    placeCentredLabel(localizedString("m3060"), "description-text", titleBottom + kTitleDescriptionGap,
                      kDescriptionLines, textBottom);
}

void Q7ZEnterpriseCodeDescriptionWindow::placeCloseButton() {
    const int scale = BundleImages::imageScale(get_scale_factor());
    m_closeButtonImage = BundleImages::surfaceNamed("btn_close", scale);
    m_closeButtonPressedImage = BundleImages::surfaceNamed("btn_close_press", scale);
    m_closeImage = Gtk::make_managed<Gtk::Image>();
    if (m_closeButtonImage) m_closeImage->set(m_closeButtonImage);
    auto* button = Gtk::make_managed<Q7ZCursorButton>();
    button->add(*m_closeImage);
    button->set_relief(Gtk::RELIEF_NONE);
    button->get_style_context()->add_class("close-button");
    button->set_size_request(kCloseButtonSize, kCloseButtonSize);
    button->setEnableCursor(true);
    button->get_accessible()->set_name(localizedString("Close"));
    button->set_tooltip_text(localizedString("Close"));
    button->signal_pressed().connect(sigc::mem_fun(*this, &Q7ZEnterpriseCodeDescriptionWindow::on_closeBtn_pressed));
    button->signal_released().connect(sigc::mem_fun(*this, &Q7ZEnterpriseCodeDescriptionWindow::on_closeBtn_released));
    button->signal_clicked().connect(sigc::mem_fun(*this, &Q7ZEnterpriseCodeDescriptionWindow::closeBtnClick));
    button->show_all();
    m_contentView.put(*button, kContentWidth - kCloseButtonMargin - kCloseButtonSize, kCloseButtonMargin);
}

// Fewer lines than maximumLines (the last one ellipsised) where a long text or a wide font would
// reach below bottomLimit.
int Q7ZEnterpriseCodeDescriptionWindow::placeCentredLabel(const std::string& text, const char* styleClass, int y,
                                                          int maximumLines, int bottomLimit) {
    auto* label = Gtk::make_managed<Gtk::Label>(text);
    label->get_style_context()->add_class(styleClass);
    label->set_justify(Gtk::JUSTIFY_CENTER);
    label->set_line_wrap(true);
    label->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    label->set_ellipsize(Pango::ELLIPSIZE_END);
    label->set_max_width_chars(1);  // the width comes from the size request, not the text
    label->set_size_request(kTextWidth, -1);
    label->show();
    m_contentView.put(*label, kTextMargin, y);
    int lines = maximumLines;
    label->set_lines(lines);
    while (lines > 1 && y + preferredHeightForWidth(*label, kTextWidth) > bottomLimit) label->set_lines(--lines);
    return y + preferredHeightForWidth(*label, kTextWidth);
}

// Answers the button's top.
int Q7ZEnterpriseCodeDescriptionWindow::placeApplyButton() {
    auto* button = Gtk::make_managed<Q7ZCursorButton>();
    button->set_label(localizedString("m3061"));
    button->set_relief(Gtk::RELIEF_NONE);
    button->get_style_context()->add_class("apply-button");
    button->setEnableCursor(true);
    button->signal_clicked().connect(sigc::mem_fun(*this, &Q7ZEnterpriseCodeDescriptionWindow::applyBtnClick));
    button->show();
    m_contentView.put(*button, 0, 0);
    const int width = preferredWidth(*button);
    const int top = kContentHeight - kApplyButtonBottom - preferredHeightForWidth(*button, width);
    m_contentView.move(*button, (kContentWidth - width) / 2, top);
    return top;
}

void Q7ZEnterpriseCodeDescriptionWindow::askDelegateToClose() {
    if (m_delegate) m_delegate->enterpriseCodeDescriptionWindowWillClose(*this);
}

void Q7ZEnterpriseCodeDescriptionWindow::closeBtnClick() { askDelegateToClose(); }

void Q7ZEnterpriseCodeDescriptionWindow::applyBtnClick() {
    Q7ZInformationPageWindow::open(Q7ZInformationPageWindow::informationPageUrl(), &m_mainWindow);
    askDelegateToClose();
}

void Q7ZEnterpriseCodeDescriptionWindow::on_closeBtn_pressed() {
    if (m_closeButtonPressedImage) m_closeImage->set(m_closeButtonPressedImage);
}

void Q7ZEnterpriseCodeDescriptionWindow::on_closeBtn_released() {
    if (m_closeButtonImage) m_closeImage->set(m_closeButtonImage);
}

bool Q7ZEnterpriseCodeDescriptionWindow::on_key_press_event(GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape) {
        closeBtnClick();
        return true;
    }
    return Gtk::Window::on_key_press_event(event);
}
