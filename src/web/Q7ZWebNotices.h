#pragma once
// The page's notices, sound, badge and attention requests, on the desktop: notices become
// desktop notifications (GNotification through the application) carrying their kind and the
// page's text; a click on one brings the main window forward, hands the page script of its
// kind to the owner and withdraws the notification. The sound is a GStreamer player, made and
// loaded when the page first asks for the sound after a reset (starting GStreamer takes the
// main thread for a while, which start-up should not wait for). The badge and the attention
// request go to the launcher entry and the window; while the desktop's do-not-disturb is on,
// notifications are still posted (the desktop keeps them) but there is no sound and no request.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <giomm/application.h>

#include "platform/desktop/Attention.h"
#include "platform/desktop/DesktopNotifier.h"
#include "platform/desktop/DoNotDisturb.h"
#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/SoundPlayer.h"
#include "platform/desktop/Workspace.h"
#include "web/policy/Q7ZNoticeRules.h"

class Q7ZWebNotices {
public:
    struct Desktop {
        Glib::RefPtr<Gio::Application> application;
        Gtk::Window* mainWindow = nullptr;  // brought forward by a click
        LauncherEntry* launcherEntry = nullptr;
        Attention* attention = nullptr;
    };
    // Evaluates script in the main web view.
    using ScriptRunner = std::function<void(const std::string& script)>;

    Q7ZWebNotices(Desktop desktop, ScriptRunner runScript);

    // The sound the settings choose (the user's own file or the bundle's) is loaded afresh
    // before it next plays.
    void resetNotifySound();
    void noticeEvent();
    void showNotice(Q7ZDesktopNotifyType type, const std::string& jsonText);
    void changeBadge(std::optional<double> value);
    // "Download finished" with the file's name, while desktop notifications are on; its click
    // opens the file.
    void announceDownloadFinished(const std::string& path);
    // A notification of the page's own, without sound; answers its desktop id ("" when not
    // shown). Its click brings the main window forward and calls the handler with key.
    std::string postPageNotification(const std::string& title, const std::string& body, const std::string& key);
    void withdraw(const std::string& desktopId) { m_notifier->withdraw(desktopId); }
    // Every notification of this run still listed, so a signed-out user's previews do not stay.
    void withdrawAll() { m_notifier->withdrawAll(); }
    void setPageNotificationClickHandler(std::function<void(const std::string& key)> handler) {
        m_pageNotificationClicked = std::move(handler);
    }

private:
    void didActivateNotification(const std::string& kind, const std::string& text);
    void openFinishedDownload(const std::string& path);
    SoundPlayer& loadedSound();

    Desktop m_desktop;
    ScriptRunner m_runScript;
    Q7ZNoticeRules m_rules;
    std::unique_ptr<SoundPlayer> m_notifySound;
    bool m_soundIsStale = true;
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::function<void(const std::string& key)> m_pageNotificationClicked;
    Workspace m_workspace;
    DoNotDisturb m_doNotDisturb;
};
