#include "onboarding/screens/Q7ZEnterEnterpriseCodeViewController.h"

#include <tuple>

#include <gdkmm/general.h>
#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <glibmm/markup.h>
#include <glibmm/miscutils.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/image.h>

#include "controls/GdkColors.h"
#include "controls/ReleaseWhenIdle.h"
#include "controls/StyleSheets.h"
#include "onboarding/SettingCodeFile.h"
#include "onboarding/screens/BundleImages.h"
#include "platform/Bundle.h"

namespace {

constexpr const char* kViewName = "Q7ZEnterEnterpriseCodeView";
constexpr int kRowWidth = 320;
constexpr int kRowHeight = 40;
constexpr int kRowX = (Q7ZEnterEnterpriseCodeViewController::kContentWidth - kRowWidth) / 2;
constexpr int kLogoWidth = 162;
constexpr int kLogoHeight = 66;
constexpr int kLogoY = 30;
constexpr int kInputRowY = 141;
constexpr int kErrorHeight = 20;
constexpr int kErrorGap = 5;
constexpr int kDividerY = 196;
constexpr int kDividerHeight = 20;
constexpr int kDividerTextGap = 10;
constexpr int kPasteCodeRowY = 231;
constexpr int kLoadCodeRowY = 286;
constexpr int kNextButtonY = 356;
constexpr int kFieldInset = 12;
constexpr int kFieldHeight = 28;
constexpr int kCleanButtonWidth = 24;
constexpr int kCleanButtonHeight = 20;
constexpr int kCleanButtonInset = 8;
constexpr int kLoadButtonInset = 6;
constexpr int kLoadButtonWidth = 70;
constexpr int kLoadButtonHeight = kRowHeight - 2 * kLoadButtonInset;
constexpr int kLinkMargin = 25;
constexpr const char* kDisabledRowColor = "F0F0F0";

int minimumHeight(Gtk::Widget& widget) {
    int minimum = 0, natural = 0;
    widget.get_preferred_height(minimum, natural);
    return minimum;
}

Gtk::DrawingArea& createLine(const Gdk::RGBA& color) {
    auto* line = Gtk::make_managed<Gtk::DrawingArea>();
    line->set_size_request(-1, 1);
    line->set_hexpand(true);
    line->set_valign(Gtk::ALIGN_CENTER);
    line->signal_draw().connect([color](const Cairo::RefPtr<Cairo::Context>& context) {
        Gdk::Cairo::set_source_rgba(context, color);
        context->paint();
        return true;
    });
    return *line;
}

}  // namespace

Q7ZEnterEnterpriseCodeViewController::Q7ZEnterEnterpriseCodeViewController(Q7ZScreenHost& host)
    : m_host(host), m_dialogs(host.dialogs()), m_mainWindow(host.mainWindow()), m_checks(*this) {
    viewDidLoad();
}

Q7ZEnterEnterpriseCodeViewController::~Q7ZEnterEnterpriseCodeViewController() { m_initialFocus.disconnect(); }

void Q7ZEnterEnterpriseCodeViewController::viewDidLoad() {
    StyleSheets::require("enterprise-code-entry");
    fixWindowSize();
    m_rootView.set_name(kViewName);
    m_contentView.set_size_request(kContentWidth, kContentHeight);
    m_contentView.set_halign(Gtk::ALIGN_CENTER);
    m_contentView.set_valign(Gtk::ALIGN_CENTER);
    m_rootView.add(m_contentView);
    m_loadCodeFilePath.clear();
    layoutSubviews();
    m_contentView.show();
    checkTextFieldStatus(nullptr);
    // Typing goes to the code field from the start: focused once the window has settled its own focus.
    m_rootView.signal_map().connect([this] {
        m_initialFocus = Glib::signal_idle().connect([this] {
            focusRowInUse();
            return false;
        });
    });
}

// Content size, minimum and maximum alike: the window cannot be resized while this shows.
void Q7ZEnterEnterpriseCodeViewController::fixWindowSize() {
    m_rootView.set_size_request(kContentWidth, kContentHeight);
    m_mainWindow.set_resizable(false);
    // A window that cannot be resized still keeps a larger default size.
    m_mainWindow.set_default_size(kContentWidth, kContentHeight);
    m_mainWindow.resize(kContentWidth, kContentHeight);
}

void Q7ZEnterEnterpriseCodeViewController::layoutSubviews() {
    placeLogo();

    m_inputTextField = &createTextField(localizedString("m744"));
    m_input = placeRow(kInputRowY, *m_inputTextField, kFieldInset, localizedString("m744"),
                       &Q7ZEnterEnterpriseCodeViewController::cleanInputTextButtonClick);
    placeErrorViews();
    placeDivider(kDividerY);

    m_pasteCodeTextField = &createTextField(localizedString("m3479"));
    m_pasteCode = placeRow(kPasteCodeRowY, *m_pasteCodeTextField, kFieldInset, localizedString("m3479"),
                           &Q7ZEnterEnterpriseCodeViewController::cleanPasteCodeButtonClick);

    const std::string fileNamePlaceholder = localizedString("m3480") + "(.txt)";
    m_loadCodeTextField = Gtk::make_managed<Gtk::Label>(fileNamePlaceholder);
    m_loadCodeTextField->set_xalign(0);
    m_loadCodeTextField->set_ellipsize(Pango::ELLIPSIZE_END);
    m_loadCodeTextField->get_style_context()->add_class("file-name");
    m_loadCodeTextField->get_style_context()->add_class("placeholder");
    m_loadCode = placeRow(kLoadCodeRowY, *m_loadCodeTextField, 2 * kLoadButtonInset + kLoadButtonWidth,
                          localizedString("m3480"), &Q7ZEnterEnterpriseCodeViewController::cleanLoadCodeButtonClick);
    std::tie(m_loadCodeButton, m_inertLoadCodeButton) = placeImageButton(
        localizedString("m2159"), "load-button",
        {kRowX + kLoadButtonInset, kLoadCodeRowY + kLoadButtonInset, kLoadButtonWidth, kLoadButtonHeight},
        &Q7ZEnterEnterpriseCodeViewController::loadCodeButtonClick);

    std::tie(m_nextButton, m_inertNextButton) =
        placeImageButton(localizedString("m9"), "next-button", {kRowX, kNextButtonY, kRowWidth, kRowHeight},
                         &Q7ZEnterEnterpriseCodeViewController::nextButtonClick);
    placeDescriptionButton();
}

void Q7ZEnterEnterpriseCodeViewController::placeLogo() {
    auto* logo = Gtk::make_managed<Gtk::Image>();
    const int scale = BundleImages::imageScale(m_mainWindow.get_scale_factor());
    if (const auto image = BundleImages::imageNamed("logo_velloq", scale)) {
        const auto sized = image->scale_simple(kLogoWidth * scale, kLogoHeight * scale, Gdk::INTERP_BILINEAR);
        logo->set(BundleImages::surfaceAtScale(sized, scale));
    }
    logo->set_size_request(kLogoWidth, kLogoHeight);
    logo->show();
    m_contentView.put(*logo, (kContentWidth - kLogoWidth) / 2, kLogoY);
}

Gtk::Entry& Q7ZEnterEnterpriseCodeViewController::createTextField(const std::string& placeholder) {
    auto* field = Gtk::make_managed<Gtk::Entry>();
    field->set_has_frame(false);
    field->get_accessible()->set_name(placeholder);
    field->get_style_context()->add_class("code-field");
    field->signal_changed().connect([this, field] { on_textField_changed(*field); });
    field->signal_activate().connect([this] { nextButtonClick(); });
    return *field;
}

Q7ZEnterEnterpriseCodeViewController::Row Q7ZEnterEnterpriseCodeViewController::placeRow(
    int y, Gtk::Widget& textField, int fieldX, const std::string& rowName,
    void (Q7ZEnterEnterpriseCodeViewController::*clean)()) {
    Row row;
    row.fieldX = fieldX;
    row.rectImageView = Gtk::make_managed<Q7ZInputRectImageView>("msg_input2", kRowWidth, kRowHeight);
    row.rectImageView->show();
    m_contentView.put(*row.rectImageView, kRowX, y);

    // An entry's own placeholder goes while it has the focus; this hint, drawn under the
    // transparent entry, stays until there is text.
    if (dynamic_cast<Gtk::Entry*>(&textField)) {
        row.hint = Gtk::make_managed<Gtk::Label>(rowName);
        row.hint->set_xalign(0);
        row.hint->set_ellipsize(Pango::ELLIPSIZE_END);
        row.hint->get_style_context()->add_class("field-hint");
        row.hint->set_size_request(kRowWidth - kFieldInset - fieldX, kFieldHeight);
        atk_object_set_role(row.hint->get_accessible()->gobj(), ATK_ROLE_REDUNDANT_OBJECT);  // the entry's name
        row.hint->get_accessible()->set_name("");
        m_contentView.put(*row.hint, kRowX + fieldX, y + (kRowHeight - kFieldHeight) / 2);
    }
    row.textField = &textField;
    textField.show();
    m_contentView.put(textField, kRowX + fieldX, y + (kRowHeight - kFieldHeight) / 2);

    row.cleanButton = Gtk::make_managed<Q7ZCursorButton>();
    row.cleanButton->get_style_context()->add_class("clean-button");
    row.cleanButton->set_size_request(kCleanButtonWidth, kCleanButtonHeight);
    row.cleanButton->setEnableCursor(true);
    row.cleanButton->set_tooltip_text(localizedString("ClearText"));
    row.cleanButton->get_accessible()->set_name(localizedFormat("ClearField", rowName));
    row.cleanButton->signal_clicked().connect([this, clean] { (this->*clean)(); });
    m_contentView.put(*row.cleanButton, kRowX + kRowWidth - kCleanButtonInset - kCleanButtonWidth,
                      y + (kRowHeight - kCleanButtonHeight) / 2);
    return row;
}

void Q7ZEnterEnterpriseCodeViewController::placeErrorViews() {
    m_errorRectImageView = Gtk::make_managed<Q7ZInputRectImageView>("msg_input2_press", kRowWidth, kRowHeight);
    m_contentView.put(*m_errorRectImageView, kRowX, kInputRowY);

    m_errorTextField = Gtk::make_managed<Gtk::Label>(localizedString("m748"));
    m_errorTextField->set_justify(Gtk::JUSTIFY_CENTER);
    m_errorTextField->set_ellipsize(Pango::ELLIPSIZE_END);
    m_errorTextField->set_size_request(kRowWidth, kErrorHeight);
    m_errorTextField->get_style_context()->add_class("error-text");
    // A screen reader announces a notification as it appears.
    atk_object_set_role(m_errorTextField->get_accessible()->gobj(), ATK_ROLE_NOTIFICATION);
    m_contentView.put(*m_errorTextField, kRowX, kInputRowY - kErrorGap - kErrorHeight);
}

void Q7ZEnterEnterpriseCodeViewController::placeDivider(int y) {
    const Gdk::RGBA color = GdkColors::gdkColorWithRGBHexString("373737");
    auto* divider = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, kDividerTextGap);
    divider->set_size_request(kRowWidth, kDividerHeight);
    auto* text = Gtk::make_managed<Gtk::Label>(localizedString("m3476"));
    text->get_style_context()->add_class("divider-text");
    divider->pack_start(createLine(color), Gtk::PACK_EXPAND_WIDGET);
    divider->pack_start(*text, Gtk::PACK_SHRINK);
    divider->pack_start(createLine(color), Gtk::PACK_EXPAND_WIDGET);
    divider->show_all();
    m_contentView.put(*divider, kRowX, y);
}

// The button lies over an inert copy of it (the greyed image with the same title, taking no
// input), which shows in its place while the button is hidden.
Q7ZEnterEnterpriseCodeViewController::ImageButton Q7ZEnterEnterpriseCodeViewController::placeImageButton(
    const std::string& title, const char* styleClass, Gdk::Rectangle frame,
    void (Q7ZEnterEnterpriseCodeViewController::*action)()) {
    auto* copy = Gtk::make_managed<Gtk::Label>(title);
    copy->get_style_context()->add_class("inert-button");
    copy->get_style_context()->add_class(styleClass);
    copy->set_size_request(frame.get_width(), frame.get_height());
    // Only a picture of the hidden button: assistive technologies skip it.
    atk_object_set_role(copy->get_accessible()->gobj(), ATK_ROLE_REDUNDANT_OBJECT);
    copy->get_accessible()->set_name("");
    m_contentView.put(*copy, frame.get_x(), frame.get_y());

    auto* button = Gtk::make_managed<Q7ZCursorButton>();
    button->set_label(title);
    button->setEnableCursor(true);
    button->get_style_context()->add_class("image-button");
    button->get_style_context()->add_class(styleClass);
    button->set_size_request(frame.get_width(), frame.get_height());
    button->signal_clicked().connect([this, action] { (this->*action)(); });
    m_contentView.put(*button, frame.get_x(), frame.get_y());
    return {button, copy};
}

void Q7ZEnterEnterpriseCodeViewController::placeDescriptionButton() {
    const std::string title = localizedString("m3059");
    m_descriptionButton = Gtk::make_managed<Q7ZCursorButton>();
    m_descriptionButton->set_label(title);
    if (auto* label = dynamic_cast<Gtk::Label*>(m_descriptionButton->get_child())) {
        label->set_markup("<u>" + Glib::Markup::escape_text(title) + "</u>");
    }
    m_descriptionButton->set_relief(Gtk::RELIEF_NONE);
    m_descriptionButton->setEnableCursor(true);
    m_descriptionButton->get_accessible()->set_name(title);
    m_descriptionButton->get_style_context()->add_class("link-button");
    m_descriptionButton->signal_clicked().connect(
        sigc::mem_fun(*this, &Q7ZEnterEnterpriseCodeViewController::descriptionButtonClick));
    m_descriptionButton->show();
    m_contentView.put(*m_descriptionButton, 0, 0);
    int minimumWidth = 0, naturalWidth = 0;
    m_descriptionButton->get_preferred_width(minimumWidth, naturalWidth);
    m_contentView.move(*m_descriptionButton, kContentWidth - kLinkMargin - naturalWidth,
                       kContentHeight - kLinkMargin - minimumHeight(*m_descriptionButton));
}

void Q7ZEnterEnterpriseCodeViewController::on_textField_changed(Gtk::Entry& sender) { checkTextFieldStatus(&sender); }

bool Q7ZEnterEnterpriseCodeViewController::loadCodeTextIsEmpty() const { return m_loadCodeFilePath.empty(); }

// sender: the field whose text changed; none only decides the rows' states.
void Q7ZEnterEnterpriseCodeViewController::checkTextFieldStatus(Gtk::Widget* sender) {
    if (sender == m_inputTextField) resizeTextFieldInRow(m_input, !m_inputTextField->get_text().empty());
    if (sender == m_pasteCodeTextField) resizeTextFieldInRow(m_pasteCode, !m_pasteCodeTextField->get_text().empty());
    if (sender == m_loadCodeTextField || sender == nullptr) resizeTextFieldInRow(m_loadCode, !loadCodeTextIsEmpty());
    if (sender == nullptr) {
        resizeTextFieldInRow(m_input, false);
        resizeTextFieldInRow(m_pasteCode, false);
    }

    const bool hasInput = !m_inputTextField->get_text().empty();
    const bool hasPasteCode = !m_pasteCodeTextField->get_text().empty();
    const bool hasLoadCode = !loadCodeTextIsEmpty();
    const bool allEmpty = !hasInput && !hasPasteCode && !hasLoadCode;
    setEnableInputTextField(allEmpty || hasInput);
    setEnablePasteCodeTextField(allEmpty || (!hasInput && hasPasteCode));
    setEnableLoadCodeTextField(allEmpty || (!hasInput && !hasPasteCode));
    m_nextButton->set_visible(!allEmpty);
    m_inertNextButton->set_visible(allEmpty);
}

// With text the field ends before the clear button, which shows; without, it reaches the row's end.
void Q7ZEnterEnterpriseCodeViewController::resizeTextFieldInRow(const Row& row, bool hasText) {
    const int fieldEnd = kRowWidth - kFieldInset - (hasText ? kCleanButtonWidth : 0);
    row.textField->set_size_request(fieldEnd - row.fieldX, kFieldHeight);
    row.cleanButton->set_visible(hasText);
    if (row.hint) row.hint->set_visible(!hasText);
}

void Q7ZEnterEnterpriseCodeViewController::setEnableRow(const Row& row, bool enabled) {
    if (auto* entry = dynamic_cast<Gtk::Entry*>(row.textField)) entry->set_editable(enabled);
    row.rectImageView->setBackgroundColor(
        enabled ? std::nullopt : std::optional(GdkColors::gdkColorWithRGBHexString(kDisabledRowColor)));
    row.cleanButton->set_sensitive(enabled);
}

void Q7ZEnterEnterpriseCodeViewController::setEnableInputTextField(bool enabled) {
    setEnableRow(m_input, enabled);
    if (!enabled) hideInlineError();
}

void Q7ZEnterEnterpriseCodeViewController::setEnablePasteCodeTextField(bool enabled) {
    setEnableRow(m_pasteCode, enabled);
}

void Q7ZEnterEnterpriseCodeViewController::setEnableLoadCodeTextField(bool enabled) {
    setEnableRow(m_loadCode, enabled);
    m_loadCodeButton->set_visible(enabled);
    m_inertLoadCodeButton->set_visible(!enabled);
}

void Q7ZEnterEnterpriseCodeViewController::cleanInputTextButtonClick() {
    m_inputTextField->set_text("");  // the field's changed signal runs checkTextFieldStatus
}

void Q7ZEnterEnterpriseCodeViewController::cleanPasteCodeButtonClick() { m_pasteCodeTextField->set_text(""); }

void Q7ZEnterEnterpriseCodeViewController::cleanLoadCodeButtonClick() {
    m_loadCodeFilePath.clear();
    m_loadCodeTextField->set_text(localizedString("m3480") + "(.txt)");
    m_loadCodeTextField->get_style_context()->add_class("placeholder");
    checkTextFieldStatus(m_loadCodeTextField);
}

void Q7ZEnterEnterpriseCodeViewController::loadCodeButtonClick() {
    endEditing();
    OpenPanelOptions options;
    options.canChooseFiles = true;
    options.canChooseDirectories = false;
    options.allowsMultipleSelection = false;
    options.allowedExtensions = {"txt"};
    const auto chosen = m_dialogs.runOpenPanel(options);
    if (!chosen || chosen->empty()) return;
    m_loadCodeFilePath = chosen->front();
    m_loadCodeTextField->set_text(Glib::path_get_basename(m_loadCodeFilePath));
    m_loadCodeTextField->get_style_context()->remove_class("placeholder");
    checkTextFieldStatus(m_loadCodeTextField);
}

void Q7ZEnterEnterpriseCodeViewController::nextButtonClick() {
    endEditing();
    if (m_coverView && m_coverView->isShown()) return;  // one check at a time
    hideInlineError();
    const auto cancel = [this] { cancelCheck(); };
    if (!m_inputTextField->get_text().empty()) {
        addCoverView(cancel);
        m_checks.startCheckEnterpriseCode();
    } else if (!m_pasteCodeTextField->get_text().empty()) {
        addCoverView(cancel);
        m_checks.startCheckActivationCode(std::string(m_pasteCodeTextField->get_text()));
    } else if (!loadCodeTextIsEmpty()) {
        addCoverView(cancel);
        m_checks.startCheckActivationCode(readLoadCodeFile());
    }
}

void Q7ZEnterEnterpriseCodeViewController::cancelCheck() {
    m_checks.cancel();
    closeCoverView();
}

std::optional<std::string> Q7ZEnterEnterpriseCodeViewController::readLoadCodeFile() const {
    std::string failure;
    auto text = SettingCodeFile::read(m_loadCodeFilePath, &failure);
    if (!text) g_debug("Could not read the setting code file %s: %s", m_loadCodeFilePath.c_str(), failure.c_str());
    return text;
}

// The window stays above the main window, and the cover keeps this screen from use, until the
// window asks to close.
void Q7ZEnterEnterpriseCodeViewController::descriptionButtonClick() {
    if (!m_enterpriseCodeDescriptionWindow) {
        m_enterpriseCodeDescriptionWindow = std::make_unique<Q7ZEnterpriseCodeDescriptionWindow>(m_mainWindow);
        m_enterpriseCodeDescriptionWindow->setEnterpriseCodeDescriptionDelegate(this);
    }
    addCoverView(nullptr);  // closed with the window
    m_enterpriseCodeDescriptionWindow->set_transient_for(m_mainWindow);
    m_enterpriseCodeDescriptionWindow->present();
}

void Q7ZEnterEnterpriseCodeViewController::enterpriseCodeDescriptionWindowWillClose(
    Q7ZEnterpriseCodeDescriptionWindow& window) {
    if (&window != m_enterpriseCodeDescriptionWindow.get()) return;
    m_enterpriseCodeDescriptionWindow->hide();
    releaseWhenIdle(std::move(m_enterpriseCodeDescriptionWindow));
    closeCoverView();
}

void Q7ZEnterEnterpriseCodeViewController::endEditing() { m_mainWindow.unset_focus(); }

// A new cover each time: the previous one (shown or not) is replaced.
void Q7ZEnterEnterpriseCodeViewController::addCoverView(std::function<void()> onCancel) {
    m_coverView.reset();
    m_coverView =
        std::make_unique<Q7ZBusyCover>(m_rootView, std::move(onCancel), std::vector<Gtk::Widget*>{&m_contentView});
}

void Q7ZEnterEnterpriseCodeViewController::closeCoverView() {
    if (m_coverView) m_coverView->close();
    focusRowInUse();
}

void Q7ZEnterEnterpriseCodeViewController::showErrorAlertViewWithMessage(const std::string& text) {
    m_dialogs.showAlert(text, AlertStyle::Warning, {});
    focusRowInUse();
}

void Q7ZEnterEnterpriseCodeViewController::showInlineError() {
    m_errorTextField->show();
    m_errorRectImageView->show();
    focusRowInUse();
}

void Q7ZEnterEnterpriseCodeViewController::hideInlineError() {
    m_errorTextField->hide();
    m_errorRectImageView->hide();
}

// The field of the row in use (the code field when none is), or Load for a chosen file.
void Q7ZEnterEnterpriseCodeViewController::focusRowInUse() {
    if (m_coverView && m_coverView->isShown()) return;
    if (m_inputTextField->get_editable()) m_inputTextField->grab_focus_without_selecting();
    else if (m_pasteCodeTextField->get_editable()) m_pasteCodeTextField->grab_focus_without_selecting();
    else if (m_loadCodeButton->get_visible()) m_loadCodeButton->grab_focus();
}

// The window drops this screen once idle.
void Q7ZEnterEnterpriseCodeViewController::goLoginPage() { m_host.showScreen(Q7ZScreenHost::Screen::WebView); }

void Q7ZEnterEnterpriseCodeViewController::goMultipleServerSelectPage() {
    m_host.showScreen(Q7ZScreenHost::Screen::MultipleServerSelect);
}

std::string Q7ZEnterEnterpriseCodeViewController::typedCode() { return m_inputTextField->get_text(); }
