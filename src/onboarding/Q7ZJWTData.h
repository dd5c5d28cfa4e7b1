#pragma once
// A compact signed token (Base64url header "." payload "." signature) checked against an RSA
// public key (PEM text) with RSASSA-PKCS1-v1_5 over SHA-256.
//
// Create, set message and key, call one verify operation, read decodeStatus() and, when it is
// kVerified, resultDic(). The header is never examined (any algorithm name is
// checked as RS256), no claim is checked and the message is taken exactly as given.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "common/Base64.h"
#include "onboarding/OpenSslHandles.h"

class Q7ZJWTData {
public:
    static constexpr std::uint64_t kVerified = 0;
    static constexpr std::uint64_t kMalformedInput = 1;  // missing message or key, or not three parts
    static constexpr std::uint64_t kRejected = 2;        // unusable key or signature that does not hold

    std::optional<std::string> message;
    std::optional<std::string> pemOfPublicKey;

    // The payload object of the last successful verification; untouched by a failed one. A
    // payload that is not a JSON object (not JSON, or an array) verifies with no result.
    const std::optional<nlohmann::json>& resultDic() const { return m_resultDic; }
    // kVerified on a fresh object too: it means something only after a verify operation.
    std::uint64_t decodeStatus() const { return m_decodeStatus; }

    void verifySignatureWithPemPublicKey();
    void verifySignatureWithPublicKey(const std::string& pem);

    // The RSA key of PEM "PUBLIC KEY" text, also with lengths in the long form (not DER); null
    // when the text holds no usable key.
    static OpenSslHandles::EvpPkeyPtr getPublicKeyRef(const std::string& pem);
    // True when signatureBase64Url is a valid PKCS #1 v1.5 signature of SHA-256(signingInput).
    static bool verifyInput(const std::string& signingInput, const std::string& signatureBase64Url, EVP_PKEY* key);

private:
    std::optional<nlohmann::json> m_resultDic;
    std::uint64_t m_decodeStatus = kVerified;
};
