// The input as each property-list file the program reads: the settings file and the remote
// configuration, loaded by their stores, and a bundle's string table; and as the remote
// configuration's server-list text.
#include "FuzzTargets.h"
#include "ServerListChecks.h"

#include <functional>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "support/TempHome.h"

namespace {

constexpr const char* kMissingKey = "\x01 no such key";

// What a load accepted is kept whole by a save and the next load.
template <class Store, class Values>
void checkSaveKeepsTheLoad(Store& store, Values values) {
    const auto loaded = std::invoke(values, store);
    FUZZ_CHECK(store.saveConfig());
    store.loadUserInfo();
    FUZZ_CHECK(std::invoke(values, store) == loaded);
}

}  // namespace

FUZZ_TARGET(property_list_files) {
    // The home goes first: each store loads its file when it is first created.
    const std::string documents = processHome().documents();
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    auto& remote = Q7ZRemoteConfigSingleton::getInstance();
    FUZZ_CHECK(settings.getFileName() == documents + "/Q7ZAppSettingConfig.plist");
    FUZZ_CHECK(remote.getFileName() == documents + "/Q7ZRemoteConfig.plist");
    FUZZ_CHECK(writeFileText(settings.getFileName(), std::string(input)));
    FUZZ_CHECK(writeFileText(remote.getFileName(), std::string(input)));

    settings.loadUserInfo();
    // The downloads folder is expanded on load, so the literal never survives it.
    FUZZ_CHECK(settings.downloadFileSavePath() != "~/Downloads");
    checkSaveKeepsTheLoad(settings, &Q7ZAppSettingConfigSingleton::snapshot);
    remote.loadUserInfo();
    checkServerList(remote);
    checkSaveKeepsTheLoad(remote, remoteConfigValues);

    // A flat bundle: its own folder holds the table, and it has no localisations to choose from.
    // Lookups answer the table's texts; a key it lacks answers the given default, else itself.
    const std::string folder = processHome().path() + "/Strings.lproj";
    FUZZ_CHECK(writeFileText(folder + "/Localizable.strings", std::string(input)));
    const Bundle bundle(folder);
    const auto table = PropertyList::fromData(input);
    const auto texts = table ? table->stringMembers() : std::map<std::string, std::string>{};
    for (const auto& [key, value] : texts) FUZZ_CHECK(bundle.localizedStringForKey(key) == value);
    if (texts.find(kMissingKey) == texts.end()) {
        FUZZ_CHECK(bundle.localizedStringForKey(kMissingKey) == kMissingKey);
        FUZZ_CHECK(bundle.localizedStringForKey(kMissingKey, "fallback") == "fallback");
    }
}

// The input as the remote configuration's server-list text.
FUZZ_TARGET(server_list) {
    processHome();
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    config.setServerListJsonString(std::string(input));
    FUZZ_CHECK(config.serverListJsonString() == input);
    checkServerList(config);
}
