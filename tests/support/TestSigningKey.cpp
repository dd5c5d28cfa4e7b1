#include "support/TestSigningKey.h"

#include <initializer_list>
#include <optional>
#include <stdexcept>

#include <glib.h>
#include <openssl/core_names.h>
#include <openssl/pem.h>

#include "common/Base64.h"
#include "demo-server/SettingCodeSigner.h"
#include "platform/GObjectPtr.h"

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

namespace {

std::string base64(const Bytes& bytes) { return GCharPtr(g_base64_encode(bytes.data(), bytes.size())).get(); }

Bytes bignumParameter(const EVP_PKEY* key, const char* name) {
    BIGNUM* raw = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &raw) != 1) throw std::runtime_error("no RSA parameter");
    OpenSslHandles::BignumPtr value(raw);
    Bytes bytes(static_cast<std::size_t>(BN_num_bytes(value.get())));
    BN_bn2bin(value.get(), bytes.data());
    return bytes;
}

// Tag, long-form length, then the parts of the body one after another.
Bytes longFormElement(std::uint8_t tag, std::initializer_list<Bytes> parts) {
    Bytes body;
    for (const Bytes& part : parts) body.insert(body.end(), part.begin(), part.end());
    Bytes element{tag};
    if (body.size() > 0xFF) element.insert(element.end(), {0x82, static_cast<std::uint8_t>(body.size() >> 8)});
    else element.push_back(0x81);
    element.push_back(static_cast<std::uint8_t>(body.size()));
    element.insert(element.end(), body.begin(), body.end());
    return element;
}

}  // namespace

std::string TestSigningKey::longFormPublicKeyPem() const {
    const Bytes rsaAlgorithm{0x30, 0x0D, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01, 0x05, 0x00};
    const Bytes exponent = bignumParameter(m_key.get(), OSSL_PKEY_PARAM_RSA_E);
    const Bytes modulus = longFormElement(0x02, {{0x00}, bignumParameter(m_key.get(), OSSL_PKEY_PARAM_RSA_N)});
    const Bytes rsaKey = longFormElement(0x30, {modulus, {0x02, static_cast<std::uint8_t>(exponent.size())}, exponent});
    const Bytes der = longFormElement(0x30, {rsaAlgorithm, longFormElement(0x03, {{0x00}, rsaKey})});
    return "-----BEGIN PUBLIC KEY-----\n" + base64(der) + "\n-----END PUBLIC KEY-----";
}

std::string TestSigningKey::token(std::string_view payloadJson, std::string_view headerJson) const {
    std::optional<std::string> code = SettingCodeSigner::sign(m_key.get(), payloadJson, headerJson);
    if (!code) throw std::runtime_error("cannot sign");
    return std::move(*code);
}
