#pragma once
// An RSA key pair made by a test, and compact signed tokens (RS256 over Base64url
// "header.payload") signed with it, so token tests need no fixed sample files.

#include <string>
#include <string_view>

#include "demo-server/SettingCodeSigner.h"
#include "onboarding/OpenSslHandles.h"

class TestSigningKey {
public:
    // A fresh key of that many bits; throws std::runtime_error when OpenSSL cannot make one.
    static TestSigningKey generate(unsigned bits);

    // "-----BEGIN PUBLIC KEY-----\n<Base64 lines>\n-----END PUBLIC KEY-----" as OpenSSL writes it.
    std::string publicKeyPem() const;
    // The key itself, for a test that writes it out in a form of its own.
    EVP_PKEY* key() const { return m_key.get(); }
    // header and payload given as JSON text, each Base64url-encoded, then signed;
    // throws std::runtime_error when OpenSSL cannot sign.
    std::string token(std::string_view payloadJson,
                      std::string_view headerJson = SettingCodeSigner::kRs256Header) const;

private:
    explicit TestSigningKey(OpenSslHandles::EvpPkeyPtr key) : m_key(std::move(key)) {}

    OpenSslHandles::EvpPkeyPtr m_key;
};
