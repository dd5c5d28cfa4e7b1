#include "settings/Q7ZSettingWindow.h"

#include <algorithm>
#include <array>
#include <vector>

#include <gdkmm/general.h>
#include <gdkmm/monitor.h>
#include <glibmm/miscutils.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/label.h>

#include "BuildConfig.h"
#include "config/LanguageCodes.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "controls/CursorRects.h"
#include "controls/GdkColors.h"
#include "controls/Q7ZFixedWidthBox.h"
#include "controls/StyleSheets.h"
#include "platform/Bundle.h"
#include "platform/FolderProblem.h"
#include "platform/LoginItem.h"
#include "platform/LoginItemHelperPaths.h"
#include "platform/Paths.h"
#include "platform/Worker.h"
#include "settings/SettingPopUps.h"
#include "utility/Q7ZACUtility.h"

namespace {

constexpr int kContentWidth = 380;
constexpr int kContentHeight = 488;
constexpr int kMargin = 20;
constexpr int kRowWidth = kContentWidth - 2 * kMargin;
constexpr int kRowHeight = 28;
constexpr int kLabelWidth = 194;  // "Custom notification sound" at 14 px, whole
constexpr int kControlX = 200;
constexpr int kCheckBoxLabelGap = 10;
constexpr int kPathPopUpWidth = 140;
constexpr int kChoicePopUpWidth = 120;
constexpr int kVersionMargin = 10;
constexpr int kOtherItem = 1;
constexpr const char* kStrongSeparatorColor = "A1A1A1";
constexpr const char* kSeparatorColor = "DCDCDC";

// Item order of the language pop-up, parallel to LanguageCodes::kLanguageCodes.
constexpr std::array<const char*, 3> kLanguageTitleKeys = {"m751", "m750", "m752"};

// The sound files GStreamer's playbin plays with the base and good plug-ins.
const std::vector<std::string> kSoundFileExtensions = {"wav",  "ogg", "oga", "opus", "mp3",
                                                       "flac", "m4a", "aac", "aif",  "aiff"};

int minimumWidth(Gtk::Widget& widget) {
    int minimum = 0, natural = 0;
    widget.get_preferred_width(minimum, natural);
    return minimum;
}

int minimumHeight(Gtk::Widget& widget) {
    int minimum = 0, natural = 0;
    widget.get_preferred_height(minimum, natural);
    return minimum;
}

// Gtk::Fixed gives each child its minimum size, which a hidden widget reports as nothing: so
// each is shown and put in place, and measured only then (the style sheet applies in place).
void putCentred(Gtk::Fixed& row, Gtk::Widget& widget, int x) {
    widget.show();
    row.put(widget, x, 0);
    row.move(widget, x, std::max(0, (kRowHeight - minimumHeight(widget)) / 2));
}

Gtk::Label& makeLabel(const std::string& text, const char* styleClass) {
    auto* label = Gtk::make_managed<Gtk::Label>(text);
    label->get_style_context()->add_class(styleClass);
    return *label;
}

std::string lastPathComponent(const std::string& path) {
    return path.empty() ? std::string() : Glib::path_get_basename(path);
}

// The remote configuration first, then the settings; true when both reached their files.
bool saveBothStores() {
    const bool remoteSaved = Q7ZRemoteConfigSingleton::getInstance().saveConfig();
    return Q7ZAppSettingConfigSingleton::getInstance().saveConfig() && remoteSaved;
}

void reloadBothStores() {
    Q7ZRemoteConfigSingleton::getInstance().loadUserInfo();
    Q7ZAppSettingConfigSingleton::getInstance().loadUserInfo();
}

// Why the stores' folder took no files, in the interface language.
std::string saveFailureReason() {
    const std::string folder = Paths::documentsDirectory();
    switch (diagnoseUnwritableFolder(folder)) {
    case FolderProblem::NotAFolder: return localizedFormat("SaveFailedNotFolder", folder);
    case FolderProblem::NoPermission: return localizedFormat("SaveFailedNoPermission", folder);
    case FolderProblem::DiskFull: return localizedFormat("SaveFailedDiskFull", folder);
    case FolderProblem::Unknown: break;
    }
    return localizedFormat("SaveFailedOther", folder);
}

void setLoginItemEnabled(bool enabled) {
    LoginItem loginItem(BuildConfig::kHelperId, BuildConfig::kHelperName);
    if (!loginItem.setEnabled(enabled, LoginItemHelperPaths::executablePath())) {
        g_warning("Could not turn start at login %s (%s)", enabled ? "on" : "off", loginItem.desktopFilePath().c_str());
    }
}

}  // namespace

Q7ZSettingWindow::Q7ZSettingWindow(Dialogs& dialogs)
    : m_dialogs(dialogs), m_values(Q7ZAppSettingConfigSingleton::getInstance().snapshot()) {
    StyleSheets::require("settings-window");
    set_name("Q7ZSettingWindow");
    set_title(localizedString("m112"));  // not drawn, but named for the desktop and assistive technologies
    set_decorated(false);
    set_resizable(false);
    set_position(Gtk::WIN_POS_CENTER);
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::BUTTON1_MOTION_MASK);
    m_contentView.set_size_request(kContentWidth, kContentHeight);
    m_overlay.add(m_contentView);
    add(m_overlay);
    layoutSubviews();
    show_all_children();
}

Q7ZSettingWindow::~Q7ZSettingWindow() = default;

void Q7ZSettingWindow::layoutSubviews() {
    for (auto* child : m_contentView.get_children()) m_contentView.remove(*child);

    m_cancelBtn = &createTitleButton("m10");
    m_cancelBtn->setEnableCursor(true);
    m_cancelBtn->signal_clicked().connect(sigc::mem_fun(*this, &Q7ZSettingWindow::cancelBtnClick));
    m_contentView.put(*m_cancelBtn, kMargin, kMargin);

    m_saveBtn = &createTitleButton("m11");
    m_saveBtn->signal_clicked().connect(sigc::mem_fun(*this, &Q7ZSettingWindow::saveBtnClick));
    m_contentView.put(*m_saveBtn, kMargin, kMargin);
    m_contentView.move(*m_saveBtn, kContentWidth - kMargin - minimumWidth(*m_saveBtn), kMargin);

    auto& title = makeLabel(localizedString("m112"), "window-title");
    title.show();
    m_contentView.put(title, kMargin, kMargin);
    m_contentView.move(title, (kContentWidth - minimumWidth(title)) / 2, kMargin);

    int y = kMargin + minimumHeight(title);
    placeSeparator(y, 15, kStrongSeparatorColor);
    createCheckBoxViewsAtView(placeRow(y, 10), localizedString("m755"), &Q7ZAppSettings::isNotificationSound);
    createCheckBoxViewsAtView(placeRow(y, 8), localizedString("m82"), &Q7ZAppSettings::isCustomNotificationSound);
    createPathViewsAtView(placeRow(y, 8), localizedString("m83"), &Q7ZSettingWindow::customNotifySoundPathPopUpBtnClick,
                          m_values.customNotificationSoundPath);
    placeSeparator(y, 10, kSeparatorColor);
    createCheckBoxViewsAtView(placeRow(y, 10), localizedString("m3838"), &Q7ZAppSettings::isDesktopNotifications);
    placeSeparator(y, 10, kSeparatorColor);
    createCheckBoxViewsAtView(placeRow(y, 10), localizedString("m747"), &Q7ZAppSettings::isAutoStart);
    placeSeparator(y, 10, kSeparatorColor);
    createPathViewsAtView(placeRow(y, 10), localizedString("m3837"), &Q7ZSettingWindow::downloadSavePathPopUpBtnClick,
                          m_values.downloadFileSavePath);
    placeSeparator(y, 10, kSeparatorColor);
    createServerSiteViewsAtView(placeRow(y, 10));
    createAppLanguageViewsAtView(placeRow(y, 8));

    updateSaveButtonStatus();
    placeVersionLabel();
}

Q7ZCursorButton& Q7ZSettingWindow::createTitleButton(const std::string& titleKey) {
    auto* button = Gtk::make_managed<Q7ZCursorButton>();
    button->set_label(localizedString(titleKey));
    button->set_relief(Gtk::RELIEF_NONE);
    button->get_style_context()->add_class("title-button");
    button->show();
    return *button;
}

void Q7ZSettingWindow::placeSeparator(int& y, int gap, const char* hexColor) {
    y += gap;
    auto* line = Gtk::make_managed<Gtk::DrawingArea>();
    line->set_size_request(kRowWidth, 1);
    const Gdk::RGBA color = GdkColors::gdkColorWithRGBHexString(hexColor);
    line->signal_draw().connect([color](const Cairo::RefPtr<Cairo::Context>& context) {
        Gdk::Cairo::set_source_rgba(context, color);
        context->paint();
        return true;
    });
    m_contentView.put(*line, kMargin, y);
    y += 1;
}

Gtk::Fixed& Q7ZSettingWindow::placeRow(int& y, int gap) {
    y += gap;
    auto* row = Gtk::make_managed<Gtk::Fixed>();
    row->set_size_request(kRowWidth, kRowHeight);
    m_contentView.put(*row, kMargin, y);
    y += kRowHeight;
    return *row;
}

void Q7ZSettingWindow::addRowLabel(Gtk::Fixed& row, const std::string& title) {
    auto& label = makeLabel(title, "row-label");
    label.set_xalign(0);
    label.set_ellipsize(Pango::ELLIPSIZE_END);
    label.set_size_request(kLabelWidth, -1);
    putCentred(row, label, 0);
}

void Q7ZSettingWindow::placeVersionLabel() {
    auto& version = makeLabel("Ver." + Bundle::mainBundle().infoValue("CFBundleVersion").value_or(""), "version-label");
    version.set_xalign(1);
    version.show();
    m_contentView.put(version, 0, 0);
    m_contentView.move(version, kContentWidth - kVersionMargin - minimumWidth(version),
                       kContentHeight - kVersionMargin - minimumHeight(version));
}

// The check box edits that one value.
void Q7ZSettingWindow::createCheckBoxViewsAtView(Gtk::Fixed& row, const std::string& title,
                                                 bool Q7ZAppSettings::* value) {
    addRowLabel(row, title);
    auto* checkBox = Gtk::make_managed<Gtk::CheckButton>();
    checkBox->set_active(m_values.*value);
    checkBox->get_accessible()->set_name(title);
    checkBox->signal_realize().connect(
        [checkBox] { CursorRects::resetCursorRect(checkBox->get_event_window(), true, {}); }, true);
    checkBox->signal_toggled().connect([this, checkBox, value] {
        m_values.*value = checkBox->get_active();
        updateSaveButtonStatus();
    });
    putCentred(row, *checkBox, kControlX);
    putCentred(row, makeLabel(localizedString("m757"), "check-label"),
               kControlX + minimumWidth(*checkBox) + kCheckBoxLabelGap);
}

Q7ZCursorPopUpButton& Q7ZSettingWindow::createPopUp(Gtk::Fixed& row, const std::string& title, int width,
                                                    PopUpAction action, bool withIcons) {
    addRowLabel(row, title);
    auto* popUp = Gtk::make_managed<Q7ZCursorPopUpButton>();
    if (withIcons) SettingPopUps::addItemIcons(*popUp);
    SettingPopUps::drawItemsInBlack(*popUp);
    popUp->set_size_request(width, kRowHeight);
    popUp->setEnableCursor(true);
    popUp->show();
    popUp->get_accessible()->set_name(title);
    popUp->signal_changed().connect([this, popUp, action] {
        if (!m_selectingItem) (this->*action)(*popUp);
    });
    // Held to its width: a long item would otherwise widen the fixed window.
    auto* holder = Gtk::make_managed<Q7ZFixedWidthBox>(Gtk::ORIENTATION_HORIZONTAL, width);
    holder->pack_start(*popUp, Gtk::PACK_EXPAND_WIDGET);
    putCentred(row, *holder, kControlX);
    return *popUp;
}

void Q7ZSettingWindow::createPathViewsAtView(Gtk::Fixed& row, const std::string& title, PopUpAction action,
                                             const std::string& defaultPath) {
    auto& popUp = createPopUp(row, title, kPathPopUpWidth, action, true);
    popUp.append(lastPathComponent(defaultPath));
    popUp.append(localizedString("Other..."));
    resetPathItemWithPopUpButton(popUp, defaultPath);
    selectItem(popUp, 0);
}

void Q7ZSettingWindow::createServerSiteViewsAtView(Gtk::Fixed& row) {
    auto& popUp =
        createPopUp(row, localizedString("m283"), kPathPopUpWidth, &Q7ZSettingWindow::serverSitePopUpBtnClick);
    // One organisation's servers share the start of their names ("Acme Group Taipei Office",
    // "Acme Group Tainan Office"): the closed pop-up keeps their ends, its tooltip the whole name.
    for (auto* cell : popUp.get_cells()) {
        if (auto* text = dynamic_cast<Gtk::CellRendererText*>(cell))
            text->property_ellipsize() = Pango::ELLIPSIZE_START;
    }
    const auto servers = Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList();
    for (const auto& server : servers) popUp.append(server.serverName);
    const auto chosen = std::find_if(servers.begin(), servers.end(),
                                     [this](const auto& server) { return server.sequence == m_values.serverSequence; });
    if (chosen != servers.end()) selectItem(popUp, static_cast<int>(chosen - servers.begin()));
    popUp.set_tooltip_text(popUp.get_active_text());
    if (servers.size() < 2) {
        popUp.set_sensitive(false);
        popUp.setEnableCursor(false);
    }
}

void Q7ZSettingWindow::createAppLanguageViewsAtView(Gtk::Fixed& row) {
    auto& popUp =
        createPopUp(row, localizedString("m746"), kChoicePopUpWidth, &Q7ZSettingWindow::appLanguagePopUpBtnClick);
    for (const char* key : kLanguageTitleKeys) popUp.append(localizedString(key));
    const auto& codes = LanguageCodes::kLanguageCodes;
    const auto code = std::find(codes.begin(), codes.end(), m_values.language);
    // A code of none of the three shows the first language but stays the edited value.
    selectItem(popUp, code == codes.end() ? 0 : static_cast<int>(code - codes.begin()));
}

void Q7ZSettingWindow::resetPathItemWithPopUpButton(Q7ZCursorPopUpButton& popUp, const std::string& path) {
    SettingPopUps::setItem(popUp, 0, lastPathComponent(path), SettingPopUps::workspaceIcon(path));
}

void Q7ZSettingWindow::selectItem(Q7ZCursorPopUpButton& popUp, int index) {
    m_selectingItem = true;
    popUp.set_active(index);
    m_selectingItem = false;
}

void Q7ZSettingWindow::cancelBtnClick() {
    if (m_settingDelegate) m_settingDelegate->settingWindowWillClose(*this);
}

void Q7ZSettingWindow::customNotifySoundPathPopUpBtnClick(Q7ZCursorPopUpButton& sender) {
    if (sender.get_active_row_number() == kOtherItem) {
        OpenPanelOptions options;
        options.title = localizedString("m83");
        options.allowedExtensions = kSoundFileExtensions;
        const std::string& current = m_values.customNotificationSoundPath;
        if (auto path = runOpenPanel(options, current.empty() ? "" : Glib::path_get_dirname(current))) {
            m_values.customNotificationSoundPath = *path;
            resetPathItemWithPopUpButton(sender, *path);
        }
    }
    selectItem(sender, 0);  // a cancelled panel returns to the current file
    updateSaveButtonStatus();
}

void Q7ZSettingWindow::downloadSavePathPopUpBtnClick(Q7ZCursorPopUpButton& sender) {
    if (sender.get_active_row_number() == kOtherItem) {
        OpenPanelOptions options;
        options.title = localizedString("m3837");
        options.canChooseFiles = false;
        options.canChooseDirectories = true;
        if (auto path = runOpenPanel(options, m_values.downloadFileSavePath)) {
            m_values.downloadFileSavePath = *path;
            resetPathItemWithPopUpButton(sender, *path);
        }
    }
    selectItem(sender, 0);
    updateSaveButtonStatus();
}

std::optional<std::string> Q7ZSettingWindow::runOpenPanel(OpenPanelOptions options, const std::string& startFolder) {
    options.allowsMultipleSelection = false;
    options.directory = startFolder;
    options.prompt = localizedString("m12");
    const auto chosen = m_dialogs.runOpenPanel(options);
    if (!chosen || chosen->empty()) return std::nullopt;
    return chosen->front();
}

void Q7ZSettingWindow::serverSitePopUpBtnClick(Q7ZCursorPopUpButton& sender) {
    const auto servers = Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList();
    const int index = sender.get_active_row_number();
    if (index >= 0 && index < static_cast<int>(servers.size())) m_values.serverSequence = servers[index].sequence;
    sender.set_tooltip_text(sender.get_active_text());
    updateSaveButtonStatus();
}

void Q7ZSettingWindow::appLanguagePopUpBtnClick(Q7ZCursorPopUpButton& sender) {
    const int index = sender.get_active_row_number();
    if (index >= 0 && index < static_cast<int>(LanguageCodes::kLanguageCodes.size())) {
        m_values.language = LanguageCodes::kLanguageCodes[index];
    }
    updateSaveButtonStatus();
}

void Q7ZSettingWindow::updateSaveButtonStatus() {
    const bool changed = !(m_values == Q7ZAppSettingConfigSingleton::getInstance().snapshot());
    m_saveBtn->set_sensitive(changed);
    m_saveBtn->setEnableCursor(changed);
    m_saveBtn->resetCursorRects();
}

void Q7ZSettingWindow::saveBtnClick() {
    if (isCovered()) return;
    showCover(nullptr);
    // The worker touches only the stores and the login item.
    const bool started = Worker::start(m_workers, [this, values = m_values](const Worker::Link& window) {
        const SaveOutcome outcome = saveDataProcessThread(values);
        window.report([this, outcome] { saveDataDidFinish(outcome); });
    });
    if (!started) closeCover();
}

bool Q7ZSettingWindow::isCovered() const { return m_cover && m_cover->isShown(); }

void Q7ZSettingWindow::showCover(std::function<void()> onCancel) {
    m_cover.reset();
    m_cover = std::make_unique<Q7ZBusyCover>(m_overlay, std::move(onCancel), std::vector<Gtk::Widget*>{&m_contentView});
}

void Q7ZSettingWindow::closeCover() {
    if (m_cover) m_cover->close();  // kept until the next: its Cancel may be what closes it
}

Q7ZSettingWindow::SaveOutcome Q7ZSettingWindow::saveDataProcessThread(const Q7ZAppSettings& values) {
    auto& store = Q7ZAppSettingConfigSingleton::getInstance();
    const Q7ZAppSettings stored = store.snapshot();
    store.apply(values);
    return {stored.serverSequence != values.serverSequence, stored.language != values.language,
            stored.isAutoStart != values.isAutoStart};
}

void Q7ZSettingWindow::saveDataDidFinish(SaveOutcome outcome) {
    closeCover();
    m_loginItemChanged = outcome.autoStartChanged;
    if (outcome.serverChanged) {
        alertChangeServer();
    } else if (outcome.languageChanged) {
        alertChangeLanguage();
    } else {
        saveAndClose(&Q7ZSettingWindowDelegate::settingWindowWillClose);
    }
}

bool Q7ZSettingWindow::confirmRestart(const std::string& message) {
    const int choice =
        m_dialogs.showAlert(message, AlertStyle::Informational, {localizedString("m9"), localizedString("m10")});
    if (choice == 0) return true;
    keepStoredSettings();
    return false;
}

// The answer decides between restarting and staying; it is awaited behind the cover, where
// Cancel abandons it and keeps the stored server.
void Q7ZSettingWindow::alertChangeServer() {
    if (!confirmRestart(localizedString("m3206"))) return;
    showCover([this] { cancelServerCheck(); });
    const bool started = Worker::start(m_serverCheck, [this](const Worker::Link& window) {
        const bool answered = Q7ZACUtility::detectLoginPageValidThread();
        window.report([this, answered] { serverCheckDidFinish(answered); });
    });
    if (!started) serverCheckDidFinish(false);
}

void Q7ZSettingWindow::serverCheckDidFinish(bool answered) {
    closeCover();
    if (answered) {
        saveAndClose(&Q7ZSettingWindowDelegate::settingWindowWillCloseByChangeServer);
        return;
    }
    g_warning("The login page of the newly chosen server did not answer; the change is not kept");
    keepStoredSettings();
    showErrorAlertViewWithMessage(localizedFormat("m3840", localizedString("m753")));
}

void Q7ZSettingWindow::cancelServerCheck() {
    m_serverCheck.revoke();
    closeCover();
    keepStoredSettings();
}

// The stores as their files hold them; the window keeps the user's edits for another try.
void Q7ZSettingWindow::keepStoredSettings() {
    m_loginItemChanged = false;
    reloadBothStores();
    updateSaveButtonStatus();
}

void Q7ZSettingWindow::alertChangeLanguage() {
    if (!confirmRestart(localizedString("m1000"))) return;
    saveAndClose(&Q7ZSettingWindowDelegate::settingWindowWillCloseByChangeLanguage);
}

// A save that fails must not pass for one: closing (or restarting, which starts from the files)
// would drop the user's changes unseen. Instead nothing is kept, as after a cancelled
// confirmation, the user is told why, and the window stays open with the changes for another
// try or Cancel. Start at login follows only a kept change, so it always matches the files.
void Q7ZSettingWindow::saveAndClose(CloseRequest request) {
    if (!saveBothStores()) {
        g_warning("The settings could not be saved; the settings window stays open with the unsaved changes");
        keepStoredSettings();
        m_dialogs.showAlert(localizedString("SettingsNotSaved"), AlertStyle::Warning, {}, saveFailureReason());
        return;
    }
    if (m_loginItemChanged) setLoginItemEnabled(Q7ZAppSettingConfigSingleton::getInstance().isAutoStart());
    m_loginItemChanged = false;
    if (m_settingDelegate) (m_settingDelegate->*request)(*this);
}

void Q7ZSettingWindow::showErrorAlertViewWithMessage(const std::string& message) {
    m_dialogs.showAlert(message, AlertStyle::Warning, {});
}

bool Q7ZSettingWindow::on_key_press_event(GdkEventKey* event) {
    if (isCovered()) {  // nothing is edited or sent while the cover shows; Escape is its Cancel
        if (event->keyval == GDK_KEY_Escape && m_cover->cancel()) return true;
        return Gtk::Window::on_key_press_event(event);
    }
    switch (event->keyval) {
    case GDK_KEY_Escape: cancelBtnClick(); return true;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        // Return saves; a focused Cancel still takes it for itself.
        if (m_saveBtn->get_sensitive() && get_focus() != m_cancelBtn) {
            saveBtnClick();
            return true;
        }
        break;
    default: break;
    }
    return Gtk::Window::on_key_press_event(event);
}

// Presses that no control takes reach the window: those drag it, as it has no title bar.
bool Q7ZSettingWindow::on_button_press_event(GdkEventButton* event) {
    if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) mouseDown(*event);
    return Gtk::Window::on_button_press_event(event);
}

bool Q7ZSettingWindow::on_button_release_event(GdkEventButton* event) {
    if (event->button == GDK_BUTTON_PRIMARY) m_mouseEventNumber = -1;
    return Gtk::Window::on_button_release_event(event);
}

bool Q7ZSettingWindow::on_motion_notify_event(GdkEventMotion* event) {
    if (event->state & GDK_BUTTON1_MASK) mouseDragged(*event);
    return Gtk::Window::on_motion_notify_event(event);
}

bool Q7ZSettingWindow::on_delete_event(GdkEventAny* event) {
    if (isCovered()) return true;
    if (!m_settingDelegate) return Gtk::Window::on_delete_event(event);
    cancelBtnClick();
    return true;
}

void Q7ZSettingWindow::mouseDown(const GdkEventButton& event) {
    int originX = 0, originY = 0;
    get_position(originX, originY);
    m_initialLocationX = event.x_root - originX;
    m_initialLocationY = event.y_root - originY;
    m_mouseEventNumber = event.time;
}

void Q7ZSettingWindow::mouseDragged(const GdkEventMotion& event) {
    if (m_mouseEventNumber < 0) return;
    const int originX = static_cast<int>(event.x_root - m_initialLocationX);
    int originY = static_cast<int>(event.y_root - m_initialLocationY);
    // The window's top edge stops at the top of the main screen.
    auto display = get_display();
    auto monitor = display->get_primary_monitor();
    if (!monitor) monitor = display->get_monitor(0);
    if (monitor) {
        Gdk::Rectangle screenFrame;
        monitor->get_geometry(screenFrame);
        originY = std::max(originY, screenFrame.get_y());
    }
    move(originX, originY);
}
