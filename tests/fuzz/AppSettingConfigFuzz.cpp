#include "FuzzTargets.h"

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "support/TempHome.h"
#include "config/Q7ZAppSettingConfigSingleton.h"

namespace {

struct Settings {
    bool isNotificationSound;
    bool isCustomNotificationSound;
    std::string customNotificationSoundPath;
    bool isDesktopNotifications;
    bool isAutoStart;
    std::string language;
    std::string downloadFileSavePath;
    std::int64_t serverSequence;

    bool operator==(const Settings&) const = default;
};

Settings readAll(const Q7ZAppSettingConfigSingleton& store) {
    return {store.isNotificationSound(),   store.isCustomNotificationSound(),
            store.customNotificationSoundPath(), store.isDesktopNotifications(),
            store.isAutoStart(),           store.language(),
            store.downloadFileSavePath(),  store.serverSequence()};
}

}  // namespace

void fuzzAppSettingConfig(const std::uint8_t* data, std::size_t size) {
    const std::string file = processHome().documents() + "/Q7ZAppSettingConfig.plist";
    auto& store = Q7ZAppSettingConfigSingleton::getInstance();
    FUZZ_CHECK(store.getFileName() == file);
    FUZZ_CHECK(writeFileText(file, std::string(reinterpret_cast<const char*>(data), size)));

    store.loadUserInfo();
    const Settings loaded = readAll(store);
    // The downloads folder is expanded on load, so the literal never survives it.
    FUZZ_CHECK(loaded.downloadFileSavePath != "~/Downloads");

    // What a load accepted is kept whole by a save and the next load.
    FUZZ_CHECK(store.saveConfig());
    store.loadUserInfo();
    FUZZ_CHECK(readAll(store) == loaded);
}
