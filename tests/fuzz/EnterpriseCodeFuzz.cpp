// The enterprise code's inputs: a setting code (pasted, or the payload of a code signed with a
// test key) with the Base64 text its parts are written in, and the private cloud's answer.
#include "FuzzTargets.h"

#include <algorithm>
#include <string>

#include <glib.h>

#include "ServerListChecks.h"
#include "common/Base64.h"
#include "common/Json.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "platform/GObjectPtr.h"
#include "support/TempHome.h"
#include "support/TestSigningKey.h"

namespace {

// Three bytes at most for every four characters begun.
std::size_t decodedSizeBound(std::size_t inputSize) { return (inputSize + 3) / 4 * 3; }

// What GLib's encoder writes decodes to the input, on one line or broken into lines of 76.
void checkRoundTrips(const Bytes& input) {
    const GCharPtr encoded(g_base64_encode(input.data(), input.size()));
    std::string broken = encoded.get();
    for (std::size_t at = 76; at < broken.size(); at += 77) broken.insert(at, "\n");
    FUZZ_CHECK(Base64::dataFromBase64String(encoded.get()) == input && Base64::dataFromBase64String(broken) == input);
}

// The input as Base64 text, and as Base64url text converted: "-" and "_" become "+" and "/",
// and "=" pads the text to whole quads.
void checkBase64(std::string_view text) {
    const Bytes decoded = Base64::dataFromBase64String(text);
    FUZZ_CHECK(decoded.size() <= decodedSizeBound(text.size()));
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        FUZZ_CHECK(decoded.empty());  // non-ASCII text is refused whole
    else checkRoundTrips(decoded);
    checkRoundTrips(Bytes(text.begin(), text.end()));

    const std::string converted = Base64::base64StringFromBase64UrlEncodedString(text);
    const std::size_t padding = text.size() % 4 == 2 ? 2 : text.size() % 4 == 3 ? 1 : 0;
    FUZZ_CHECK(converted.size() == text.size() + padding);
    FUZZ_CHECK(converted.find_first_of("-_") == std::string::npos);
    FUZZ_CHECK(converted.compare(text.size(), padding, std::string(padding, '=')) == 0);
    FUZZ_CHECK(Base64::dataFromBase64String(converted).size() <= decodedSizeBound(converted.size()));
}

// A small key signs fast; its size is of no interest to the token's parsing.
const TestSigningKey& testKey() {
    static const TestSigningKey key = TestSigningKey::generate(1024);
    return key;
}

std::uint64_t verify(Q7ZJWTData& token, const std::string& code) {
    token.message = code;
    token.pemOfPublicKey = testKey().publicKeyPem();
    token.verifySignatureWithPemPublicKey();
    return token.decodeStatus();
}

// After a check stored what it learnt: the server is chosen by the list's rule, and what was
// stored survives the save of both stores and the next load.
void checkChosenServerSurvivesSave() {
    auto& remote = Q7ZRemoteConfigSingleton::getInstance();
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    checkServerList(remote);
    const auto servers = remote.getServerUrlDataList();
    const auto stored = remoteConfigValues(remote);

    const std::int64_t chosen = Q7ZServerSettingApplier::chooseServerAndSave();
    FUZZ_CHECK(chosen ==
               (servers.size() == 1 ? servers.front().sequence : Q7ZAppSettingConfigSingleton::kNoServerSequence));
    remote.loadUserInfo();
    settings.loadUserInfo();
    FUZZ_CHECK(settings.serverSequence() == chosen);
    FUZZ_CHECK(remoteConfigValues(remote) == stored);
}

}  // namespace

FUZZ_TARGET(setting_code) {
    processHome();
    const std::string text(input);
    checkBase64(input);

    // As a pasted code it never verifies without the key's signature, and it is malformed
    // exactly when it is not three dot-separated parts.
    Q7ZJWTData pasted;
    const bool threeParts = !text.empty() && std::count(text.begin(), text.end(), '.') == 2;
    FUZZ_CHECK(verify(pasted, text) == (threeParts ? Q7ZJWTData::kRejected : Q7ZJWTData::kMalformedInput));
    FUZZ_CHECK(!pasted.resultDic());

    // As the payload of a code signed with the key it verifies, with a result when it is a JSON
    // object, and what the result carries is stored whole.
    Q7ZJWTData signedCode;
    FUZZ_CHECK(verify(signedCode, testKey().token(text)) == Q7ZJWTData::kVerified);
    const auto payload = Q7Z_JSON::JSONValue(text);
    FUZZ_CHECK(signedCode.resultDic().has_value() == (payload && payload->is_object()));
    if (!signedCode.resultDic()) return;
    Q7ZRemoteConfigSingleton::getInstance().resetConfig();
    Q7ZServerSettingApplier::applySettingCodePayload(*signedCode.resultDic());
    checkChosenServerSurvivesSave();
}

// The answer's IsSuccess is the check's business; any PrivateCloudData is stored whole.
FUZZ_TARGET(private_cloud_answer) {
    processHome();
    const auto answer = Q7Z_JSON::JSONValue(input);
    if (!answer || !answer->is_object()) return;
    const auto privateCloudData = answer->find("PrivateCloudData");
    if (privateCloudData == answer->end()) return;
    Q7ZRemoteConfigSingleton::getInstance().resetConfig();
    Q7ZServerSettingApplier::applyPrivateCloudData(*privateCloudData);
    checkChosenServerSurvivesSave();
}
