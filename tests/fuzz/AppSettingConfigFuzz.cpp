#include "FuzzTargets.h"

#include <string>
#include <tuple>

#include "FuzzCheck.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "support/TempHome.h"

namespace {

auto readAll(const Q7ZAppSettingConfigSingleton& store) {
    return std::tuple(store.isNotificationSound(), store.isCustomNotificationSound(),
                      store.customNotificationSoundPath(), store.isDesktopNotifications(), store.isAutoStart(),
                      store.language(), store.downloadFileSavePath(), store.serverSequence());
}

}  // namespace

void fuzzAppSettingConfig(const std::uint8_t* data, std::size_t size) {
    // The home goes first: the store loads its file when it is first created.
    const std::string file = processHome().documents() + "/Q7ZAppSettingConfig.plist";
    auto& store = Q7ZAppSettingConfigSingleton::getInstance();
    FUZZ_CHECK(store.getFileName() == file);
    FUZZ_CHECK(writeFileText(file, std::string(reinterpret_cast<const char*>(data), size)));

    store.loadUserInfo();
    // The downloads folder is expanded on load, so the literal never survives it.
    FUZZ_CHECK(store.downloadFileSavePath() != "~/Downloads");

    // What a load accepted is kept whole by a save and the next load.
    const auto loaded = readAll(store);
    FUZZ_CHECK(store.saveConfig());
    store.loadUserInfo();
    FUZZ_CHECK(readAll(store) == loaded);
}
