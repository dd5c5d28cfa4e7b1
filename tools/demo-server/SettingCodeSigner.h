#pragma once
// Signed setting codes in the compact form the program reads: base64url(header) "."
// base64url(payload) "." base64url(RS256 signature of the first two), Base64url without padding.
// Shared by velloq-sign-setting-code and the tests that make their own codes.

#include <optional>
#include <string>
#include <string_view>

#include <openssl/evp.h>

namespace SettingCodeSigner {

inline constexpr std::string_view kRs256Header = R"({"alg":"RS256","typ":"JWT"})";

// The code of headerJson and payloadJson, each taken as it is, signed with the RSA key
// (PKCS#1 v1.5 over SHA-256); nullopt when OpenSSL cannot sign with the key.
std::optional<std::string> sign(EVP_PKEY* key, std::string_view payloadJson,
                                std::string_view headerJson = kRs256Header);

}  // namespace SettingCodeSigner
