#include "web/Q7ZWebNotices.h"

#include <gtkmm/window.h>

#include "config/Q7ZAppSettingConfigSingleton.h"

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

// The notifier has withdrawn the notification already.
void Q7ZWebNotices::didActivateNotification(const std::string& kind, const std::string& text) {
    if (m_desktop.mainWindow) {
        m_desktop.mainWindow->show();
        m_desktop.mainWindow->present();
    }
    if (const auto script = Q7ZNoticeRules::scriptForClick(kind, text)) m_runScript(*script);
}
