#include "web/Q7ZWebNotices.h"

#include <algorithm>

#include <glibmm/miscutils.h>
#include <gtkmm/window.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "platform/Bundle.h"

namespace {

constexpr const char* kDownloadFinishedKind = "downloadFinished";
constexpr const char* kPageNotificationKind = "pageNotification";

}  // namespace

Q7ZWebNotices::Q7ZWebNotices(Desktop desktop, ScriptRunner runScript)
    : m_desktop(std::move(desktop)),
      m_runScript(std::move(runScript)),
      m_rules(Q7ZAppSettingConfigSingleton::getInstance()) {
    // Listening from the start, not from the first notice of this run: notifications of an
    // earlier run may still be listed by the desktop, and a click on one should still work.
    m_notifier = std::make_unique<DesktopNotifier>(
        m_desktop.application,
        [this](const std::string& kind, const std::string& text) { didActivateNotification(kind, text); });
}

void Q7ZWebNotices::resetNotifySound() {
    if (m_notifySound) m_notifySound->stop();
    m_soundIsStale = true;
}

SoundPlayer& Q7ZWebNotices::loadedSound() {
    if (!m_notifySound) m_notifySound = std::make_unique<SoundPlayer>();
    if (m_soundIsStale) {
        m_soundIsStale = false;
        if (const auto path = m_rules.soundPath()) m_notifySound->load(*path);
    }
    return *m_notifySound;
}

void Q7ZWebNotices::noticeEvent() {
    if (m_doNotDisturb.isOn()) {
        g_debug("the desktop's do-not-disturb is on: no sound, no request for attention");
        return;
    }
    switch (m_rules.soundActionForNoticeEvent()) {
    case Q7ZNoticeRules::SoundAction::None: break;
    case Q7ZNoticeRules::SoundAction::ReloadAndPlay: resetNotifySound(); [[fallthrough]];
    case Q7ZNoticeRules::SoundAction::Play: loadedSound().play(); break;
    }
    if (m_desktop.attention) m_desktop.attention->request();
}

void Q7ZWebNotices::showNotice(Q7ZDesktopNotifyType type, const std::string& jsonText) {
    const auto notice = m_rules.makeNotice(type, jsonText);
    if (!notice) return;
    if (m_notifier->post(notice->title, notice->body, notice->kind, notice->text).empty())
        g_warning("a notice could not be shown: the application is not registered on the session bus");
}

void Q7ZWebNotices::changeBadge(std::optional<double> value) {
    if (!m_desktop.launcherEntry) return;
    m_desktop.launcherEntry->setCount(Q7ZNoticeRules::badgeCount(value).value_or(0));
}

void Q7ZWebNotices::announceDownloadFinished(const std::string& path) {
    if (!Q7ZAppSettingConfigSingleton::getInstance().isDesktopNotifications()) return;
    if (m_notifier
            ->post(localizedString("DownloadFinished"), Glib::path_get_basename(path), kDownloadFinishedKind, path)
            .empty())
        g_warning("a finished download could not be announced: the application is not registered on the session bus");
}

std::string Q7ZWebNotices::postPageNotification(const std::string& title, const std::string& body,
                                                const std::string& key) {
    const std::string id = m_notifier->post(title, body, kPageNotificationKind, key);
    if (id.empty()) g_warning("a page's notification could not be shown: the application is not registered on the bus");
    return id;
}

// Only a file this run downloaded: the action's target is anyone's to send on the session bus.
void Q7ZWebNotices::openFinishedDownload(const std::string& path) {
    const auto records = Q7ZDownloadDataSingleton::getInstance().getAllDownloadDataArray();
    const bool downloaded = std::any_of(records.begin(), records.end(), [&path](const auto& record) {
        return record->currentstatus() == Q7ZDownloadStatus::Finished && record->savePathString() == path;
    });
    if (!downloaded) g_debug("%s is no finished download of this run; not opened", path.c_str());
    else if (!m_workspace.openFile(path)) g_warning("the finished download %s could not be opened", path.c_str());
}

// The notifier has withdrawn the notification already.
void Q7ZWebNotices::didActivateNotification(const std::string& kind, const std::string& text) {
    if (kind == kDownloadFinishedKind) return openFinishedDownload(text);
    if (m_desktop.mainWindow) {
        m_desktop.mainWindow->show();
        m_desktop.mainWindow->present();
    }
    if (kind == kPageNotificationKind) {
        if (m_pageNotificationClicked) m_pageNotificationClicked(text);
    } else if (const auto script = Q7ZNoticeRules::scriptForClick(kind, text)) {
        m_runScript(*script);
    }
}
