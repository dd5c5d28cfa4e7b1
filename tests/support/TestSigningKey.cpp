#include "support/TestSigningKey.h"

#include <optional>
#include <stdexcept>

#include <openssl/pem.h>

#include "demo-server/SettingCodeSigner.h"

TestSigningKey TestSigningKey::generate(unsigned bits) {
    OpenSslHandles::EvpPkeyPtr key(EVP_RSA_gen(bits));
    if (!key) throw std::runtime_error("cannot generate an RSA key");
    return TestSigningKey(std::move(key));
}

std::string TestSigningKey::publicKeyPem() const {
    OpenSslHandles::BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PUBKEY(bio.get(), m_key.get()) != 1) throw std::runtime_error("cannot write PEM");
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    std::string pem(data, static_cast<std::size_t>(length));
    while (!pem.empty() && pem.back() == '\n') pem.pop_back();
    return pem;
}

std::string TestSigningKey::token(std::string_view payloadJson, std::string_view headerJson) const {
    std::optional<std::string> code = SettingCodeSigner::sign(m_key.get(), payloadJson, headerJson);
    if (!code) throw std::runtime_error("cannot sign");
    return std::move(*code);
}
