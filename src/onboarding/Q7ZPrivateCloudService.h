#pragma once
// The private cloud service's "getServerSetting" operation: turns an enterprise code into the
// organisation's title, title icon and server list.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "BuildConfig.h"

class Q7ZPrivateCloudService {
public:
    // POSTs CloudKey (the code, already lower-cased) and a fresh T to
    // <privateCloudBase>PrivateCloudService.ashx?ASK=getServerSetting on the calling thread.
    // The parsed answer whatever the HTTP status; nullopt when the request fails or the body
    // is not a JSON object or array. An empty base makes a relative URL, which always fails.
    static std::optional<nlohmann::json> getServerSettingWithCloudKey(
        const std::string& cloudKey, const std::string& privateCloudBase = BuildConfig::kPrivateCloudBase);

    static std::string serverSettingUrl(const std::string& privateCloudBase);
    static std::string serverSettingBody(const std::string& cloudKey);
};
