#pragma once
// Stores what an enterprise code check learnt into the remote configuration, then applies the
// server choice rule and saves both stores. Shared by the online check (private cloud answer)
// and the offline one (signed setting code payload).
//
// Members of an unexpected type are skipped rather than stored, so nothing but strings reaches
// the string properties and the list text always holds server objects. So are texts holding a
// NUL byte, which the configuration file cannot store.

#include <cstdint>

#include <nlohmann/json.hpp>

class Q7ZServerSettingApplier {
public:
    // "Title", "TitleIconUrl" (strings) and "ServerList" (array; elements that are not objects
    // are dropped) of a "PrivateCloudData" object, each only when present and of that type.
    static void applyPrivateCloudData(const nlohmann::json& privateCloudData);
    // The payload's "serverInfo" JSON text: "T", "IU", "V" (strings) and "SL", in that order.
    // Nothing is applied when "serverInfo" is missing, not a string, or not a JSON object.
    static void applySettingCodePayload(const nlohmann::json& payload);
    // Server objects from "SL" entries [name, url, isCnUrl, ...]. Entries that are not arrays
    // of at least three items are skipped; each kept entry's sequence is the position in "SL"
    // of the first entry equal to it. A name or URL that is not a string is stored as "", an
    // isCnUrl that is neither boolean nor number as 0, which is how the list reader takes them.
    static nlohmann::json serverListFromSettingCodeEntries(const nlohmann::json& entries);
    // A list with exactly one entry chooses it, any other leaves none chosen (-999); then the
    // settings are saved, then the remote configuration. Answers the chosen sequence.
    static std::int64_t chooseServerAndSave();
};
