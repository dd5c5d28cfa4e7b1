#pragma once
// The settings window, in which the user edits the eight stored user settings. Edits stay in
// the window until Save: Save writes them into the settings store on a worker thread behind a
// cover, then saves both stores, switches start at login when it changed, and closes, or
// first asks to confirm a change of server or language, because those take effect only after
// the restart that the delegate carries out.
//
// Borderless and fixed at 380 × 488, dragged by its background. Escape cancels; Return saves
// when Save is enabled. Alerts and open panels go through the Dialogs given at creation, which
// must outlive the window. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtkmm/checkbutton.h>
#include <gtkmm/fixed.h>
#include <gtkmm/overlay.h>
#include <gtkmm/window.h>

#include "config/Q7ZAppSettings.h"
#include "controls/Q7ZBusyCover.h"
#include "controls/Q7ZCursorButton.h"
#include "controls/Q7ZCursorPopUpButton.h"
#include "platform/Worker.h"
#include "platform/desktop/Dialogs.h"
#include "settings/Q7ZSettingWindowDelegate.h"

class Q7ZSettingWindow : public Gtk::Window {
public:
    explicit Q7ZSettingWindow(Dialogs& dialogs);
    ~Q7ZSettingWindow() override;

    Q7ZSettingWindowDelegate* settingDelegate() const { return m_settingDelegate; }
    // Not owned; none sends nothing.
    void setSettingDelegate(Q7ZSettingWindowDelegate* delegate) { m_settingDelegate = delegate; }

protected:
    bool on_key_press_event(GdkEventKey* event) override;
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_button_release_event(GdkEventButton* event) override;
    bool on_motion_notify_event(GdkEventMotion* event) override;
    bool on_delete_event(GdkEventAny* event) override;

private:
    // What the save step changed that needs a confirmation.
    struct SaveOutcome {
        bool serverChanged = false;
        bool languageChanged = false;
        bool autoStartChanged = false;
    };
    using PopUpAction = void (Q7ZSettingWindow::*)(Q7ZCursorPopUpButton&);
    using CloseRequest = void (Q7ZSettingWindowDelegate::*)(Q7ZSettingWindow&);

    void layoutSubviews();
    Q7ZCursorButton& createTitleButton(const std::string& titleKey);
    void placeSeparator(int& y, int gap, const char* hexColor);
    Gtk::Fixed& placeRow(int& y, int gap);
    void addRowLabel(Gtk::Fixed& row, const std::string& title);
    void placeVersionLabel();
    void createCheckBoxViewsAtView(Gtk::Fixed& row, const std::string& title, bool Q7ZAppSettings::* value);
    void createPathViewsAtView(Gtk::Fixed& row, const std::string& title, PopUpAction action,
                               const std::string& defaultPath);
    void createServerSiteViewsAtView(Gtk::Fixed& row);
    void createAppLanguageViewsAtView(Gtk::Fixed& row);
    // The row's label and its pop-up, named after the label for assistive technologies.
    Q7ZCursorPopUpButton& createPopUp(Gtk::Fixed& row, const std::string& title, int width, PopUpAction action,
                                      bool withIcons = false);
    void resetPathItemWithPopUpButton(Q7ZCursorPopUpButton& popUp, const std::string& path);
    // Selects an item without taking it for the user's choice.
    void selectItem(Q7ZCursorPopUpButton& popUp, int index);

    void cancelBtnClick();
    void saveBtnClick();
    void customNotifySoundPathPopUpBtnClick(Q7ZCursorPopUpButton& sender);
    void serverSitePopUpBtnClick(Q7ZCursorPopUpButton& sender);
    void appLanguagePopUpBtnClick(Q7ZCursorPopUpButton& sender);
    void downloadSavePathPopUpBtnClick(Q7ZCursorPopUpButton& sender);
    // The open panel of a path pop-up whose "Other..." was picked; the chosen path or none.
    std::optional<std::string> runOpenPanel(OpenPanelOptions options, const std::string& startFolder);

    void updateSaveButtonStatus();
    // Runs on the worker thread: the edited values into the settings store.
    static SaveOutcome saveDataProcessThread(const Q7ZAppSettings& values);
    void saveDataDidFinish(SaveOutcome outcome);
    void alertChangeServer();
    void serverCheckDidFinish(bool answered);
    void cancelServerCheck();
    void keepStoredSettings();
    bool isCovered() const;
    // onCancel: what the cover's Cancel does; none for a step that cannot be abandoned.
    void showCover(std::function<void()> onCancel);
    void closeCover();
    void alertChangeLanguage();
    // Asks with message; true when the user confirmed, after which the caller saves.
    bool confirmRestart(const std::string& message);
    void showErrorAlertViewWithMessage(const std::string& message);
    // Saves both stores, then sends request; a failed save keeps the window open instead.
    void saveAndClose(CloseRequest request);
    void mouseDown(const GdkEventButton& event);
    void mouseDragged(const GdkEventMotion& event);

    Dialogs& m_dialogs;
    Q7ZAppSettings m_values;
    double m_initialLocationX = 0;
    double m_initialLocationY = 0;
    std::int64_t m_mouseEventNumber = -1;
    bool m_selectingItem = false;
    // Start at login changed in the save under way: the login item follows once it is kept.
    bool m_loginItemChanged = false;
    Gtk::Overlay m_overlay;
    Gtk::Fixed m_contentView;
    Q7ZCursorButton* m_cancelBtn = nullptr;
    Q7ZCursorButton* m_saveBtn = nullptr;
    // Over the window while saving or checking the new server's login page.
    std::unique_ptr<Q7ZBusyCover> m_cover;
    Q7ZSettingWindowDelegate* m_settingDelegate = nullptr;
    // Hand-backs from the save step run only while this lives.
    Worker::Owner m_workers;
    // The new server's check, revoked by Cancel.
    Worker::Owner m_serverCheck;
};
