#include "onboarding/Q7ZPrivateCloudService.h"

#include "common/Json.h"
#include "utility/Q7ZACUtility.h"

std::optional<nlohmann::json> Q7ZPrivateCloudService::getServerSettingWithCloudKey(
    const std::string& cloudKey, const std::string& privateCloudBase) {
    const std::string answer =
        Q7ZACUtility::doHttpPostWithUrl(serverSettingUrl(privateCloudBase), serverSettingBody(cloudKey));
    return Q7Z_JSON::JSONValue(answer);
}

std::string Q7ZPrivateCloudService::serverSettingUrl(const std::string& privateCloudBase) {
    return privateCloudBase + "PrivateCloudService.ashx?ASK=getServerSetting";
}

std::string Q7ZPrivateCloudService::serverSettingBody(const std::string& cloudKey) {
    return "CloudKey=" + Q7ZACUtility::urlEncodeValue(cloudKey) +
           "&T=" + Q7ZACUtility::urlEncodeValue(Q7ZACUtility::getUUIDString());
}
