#include "onboarding/Q7ZServerSettingApplier.h"

#include <cstddef>
#include <string>

#include <glib.h>

#include "common/Json.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"

namespace {

constexpr std::size_t kSettingCodeEntryItems = 3;

// A text holding a NUL byte ("\u0000" in the JSON) is skipped too: the configuration file
// cannot store it, and a refused value would fail the whole save, server list included.
const nlohmann::json* stringMember(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end() || !found->is_string()) return nullptr;
    if (found->get_ref<const std::string&>().find('\0') != std::string::npos) {
        g_warning("the server setting \"%s\" holds a NUL byte and is not stored", name);
        return nullptr;
    }
    return &*found;
}

void storeServerList(const nlohmann::json& list) {
    if (const auto text = Q7Z_JSON::JSONRepresentation(list)) {
        Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(*text);
    }
}

nlohmann::json objectsOnly(const nlohmann::json& array) {
    nlohmann::json objects = nlohmann::json::array();
    for (const auto& element : array) {
        if (element.is_object()) objects.push_back(element);
    }
    return objects;
}

bool isSettingCodeEntry(const nlohmann::json& entry) {
    return entry.is_array() && entry.size() >= kSettingCodeEntryItems;
}

// The position in "SL" of the first entry equal to the one at index, item by item.
std::int64_t firstEqualPosition(const nlohmann::json& entries, std::size_t index) {
    std::size_t position = 0;
    while (entries[position] != entries[index]) ++position;
    return static_cast<std::int64_t>(position);
}

// Items of another type are stored as the list reader takes them: a name or URL as "", a flag as 0.
nlohmann::json serverObject(const nlohmann::json& entry, std::int64_t sequence) {
    const auto textOrEmpty = [](const nlohmann::json& item) { return item.is_string() ? item : nlohmann::json(""); };
    const nlohmann::json& flag = entry[2];
    return {{"Sequence", sequence},
            {"ServerName", textOrEmpty(entry[0])},
            {"Url", textOrEmpty(entry[1])},
            {"IsCnUrl", flag.is_boolean() || flag.is_number() ? flag : nlohmann::json(0)}};
}

}  // namespace

void Q7ZServerSettingApplier::applyPrivateCloudData(const nlohmann::json& privateCloudData) {
    if (!privateCloudData.is_object()) return;
    auto& remote = Q7ZRemoteConfigSingleton::getInstance();
    if (const auto* title = stringMember(privateCloudData, "Title")) remote.setRemoteTitle(title->get<std::string>());
    if (const auto* icon = stringMember(privateCloudData, "TitleIconUrl")) {
        remote.setRemoteTitleIcon(icon->get<std::string>());
    }
    const auto serverList = privateCloudData.find("ServerList");
    if (serverList != privateCloudData.end() && serverList->is_array()) storeServerList(objectsOnly(*serverList));
}

void Q7ZServerSettingApplier::applySettingCodePayload(const nlohmann::json& payload) {
    if (!payload.is_object()) return;
    const auto* serverInfoText = stringMember(payload, "serverInfo");
    if (!serverInfoText) return;
    const auto serverInfo = Q7Z_JSON::JSONValue(serverInfoText->get<std::string>());
    if (!serverInfo || !serverInfo->is_object()) return;

    auto& remote = Q7ZRemoteConfigSingleton::getInstance();
    if (const auto* title = stringMember(*serverInfo, "T")) remote.setRemoteTitle(title->get<std::string>());
    if (const auto* icon = stringMember(*serverInfo, "IU")) remote.setRemoteTitleIcon(icon->get<std::string>());
    if (const auto* version = stringMember(*serverInfo, "V")) remote.setVersion(version->get<std::string>());
    const auto entries = serverInfo->find("SL");
    if (entries != serverInfo->end() && entries->is_array()) {
        storeServerList(serverListFromSettingCodeEntries(*entries));
    }
}

nlohmann::json Q7ZServerSettingApplier::serverListFromSettingCodeEntries(const nlohmann::json& entries) {
    nlohmann::json list = nlohmann::json::array();
    if (!entries.is_array()) return list;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const nlohmann::json& entry = entries[index];
        if (isSettingCodeEntry(entry)) list.push_back(serverObject(entry, firstEqualPosition(entries, index)));
    }
    return list;
}

std::int64_t Q7ZServerSettingApplier::chooseServerAndSave() {
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    auto& remote = Q7ZRemoteConfigSingleton::getInstance();
    const auto servers = remote.getServerUrlDataList();
    const std::int64_t sequence =
        servers.size() == 1 ? servers.front().sequence : Q7ZAppSettingConfigSingleton::kNoServerSequence;
    settings.setServerSequence(sequence);
    settings.saveConfig();
    remote.saveConfig();
    return sequence;
}
