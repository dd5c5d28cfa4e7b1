#pragma once
// What the web host does with the page's notices, badge and sound, decided from plain values
// and the settings store so the rules hold whatever shows them:
// - a notice becomes a desktop notification (title, body) that carries its kind and the
//   page's JSON text, and its click becomes the page function that opens what it was about
//   (a notice's address only when it is an absolute http or https one, else the notice log);
// - the page's badge number becomes the dock count, or clears it;
// - the notification sound is the user's own file while it exists, else the bundle's
//   "Notify.wav"; a chosen file found gone when a notice sounds is forgotten at once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Q7ZAppSettingConfigSingleton;

enum class Q7ZDesktopNotifyType : unsigned { Notice = 0, IMNotice = 1, InviteNotice = 2 };

class Q7ZNoticeRules {
public:
    struct Notice {
        std::string title;
        std::string body;
        std::string kind;  // carried by the notification and handed back with its click
        std::string text;  // the page's JSON text exactly as it passed it
    };

    enum class SoundAction {
        None,           // sounds are off
        Play,           // play the loaded sound from its start
        ReloadAndPlay,  // the chosen file has gone: load soundPath() again, then play
    };

    explicit Q7ZNoticeRules(Q7ZAppSettingConfigSingleton& settings) : m_settings(settings) {}

    // Nothing when desktop notifications are off, or the text is not a JSON object.
    std::optional<Notice> makeNotice(Q7ZDesktopNotifyType type, const std::string& jsonText) const;
    // The script for the main view when the user clicks a notification of this kind and text;
    // nothing for an unknown kind or text that is not a JSON object.
    static std::optional<std::string> scriptForClick(std::string_view kind, std::string_view jsonText);
    // The page's number as a dock count; nothing (the badge is cleared) unless it is above 0.
    static std::optional<std::int64_t> badgeCount(std::optional<double> value);

    // The sound file to load: the user's own when chosen and present, else "Notify.wav" from
    // the bundle; nothing when even that is missing.
    std::optional<std::string> soundPath() const;
    // When the page asks for the sound. A chosen file found gone is forgotten and the settings
    // are saved at once, so the default sounds from now on.
    SoundAction soundActionForNoticeEvent();

private:
    Q7ZAppSettingConfigSingleton& m_settings;
};
