#pragma once
// The user's eight settings as one value: what the settings store holds, and what the settings
// window edits and hands back. Each member is named as its key in the settings file.

#include <cstdint>
#include <string>

struct Q7ZAppSettings {
    static constexpr std::int64_t kNoServerSequence = -999;

    bool isNotificationSound = true;
    bool isCustomNotificationSound = false;
    std::string customNotificationSoundPath;
    bool isDesktopNotifications = true;
    bool isAutoStart = false;
    std::int64_t serverSequence = kNoServerSequence;
    std::string language;
    std::string downloadFileSavePath;

    bool operator==(const Q7ZAppSettings&) const = default;
};
