#include "FuzzTargets.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "ServerListChecks.h"
#include "common/Json.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "support/TempHome.h"
#include "support/TestSigningKey.h"

namespace {

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

}  // namespace

void fuzzSettingCode(const std::uint8_t* data, std::size_t size) {
    processHome();
    const std::string text(reinterpret_cast<const char*>(data), size);

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

void fuzzPrivateCloudAnswer(const std::uint8_t* data, std::size_t size) {
    // The answer's IsSuccess is the check's business; any PrivateCloudData is stored whole.
    processHome();
    const auto answer = Q7Z_JSON::JSONValue(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!answer || !answer->is_object()) return;
    const auto privateCloudData = answer->find("PrivateCloudData");
    if (privateCloudData == answer->end()) return;
    Q7ZRemoteConfigSingleton::getInstance().resetConfig();
    Q7ZServerSettingApplier::applyPrivateCloudData(*privateCloudData);
    checkChosenServerSurvivesSave();
}
