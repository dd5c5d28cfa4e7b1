#include "support/TestSigningKey.h"

#include <algorithm>
#include <stdexcept>

#include <openssl/core_names.h>
#include <openssl/pem.h>

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

std::string TestSigningKey::bignumParameterBase64(const char* name) const {
    BIGNUM* raw = nullptr;
    if (EVP_PKEY_get_bn_param(m_key.get(), name, &raw) != 1) throw std::runtime_error("no RSA parameter");
    OpenSslHandles::BignumPtr value(raw);
    Bytes bytes(static_cast<std::size_t>(BN_num_bytes(value.get())));
    BN_bn2bin(value.get(), bytes.data());
    return Base64::base64StringFromData(bytes).value();
}

std::string TestSigningKey::modulusBase64() const { return bignumParameterBase64(OSSL_PKEY_PARAM_RSA_N); }
std::string TestSigningKey::exponentBase64() const { return bignumParameterBase64(OSSL_PKEY_PARAM_RSA_E); }

std::string TestSigningKey::token(std::string_view payloadJson, std::string_view headerJson) const {
    const std::string input = base64UrlEncode(headerJson) + "." + base64UrlEncode(payloadJson);
    const auto* data = reinterpret_cast<const unsigned char*>(input.data());
    OpenSslHandles::EvpMdCtxPtr context(EVP_MD_CTX_new());
    std::string signature(static_cast<std::size_t>(EVP_PKEY_get_size(m_key.get())), '\0');
    std::size_t length = signature.size();
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key.get()) != 1 ||
        EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length, data,
                       input.size()) != 1) {
        throw std::runtime_error("cannot sign");
    }
    signature.resize(length);
    return input + "." + base64UrlEncode(signature);
}

std::string base64UrlEncode(std::string_view bytes) {
    std::string text = Base64::base64StringFromData(Bytes(bytes.begin(), bytes.end())).value();
    text.erase(text.find_last_not_of('=') + 1);
    std::replace(text.begin(), text.end(), '+', '-');
    std::replace(text.begin(), text.end(), '/', '_');
    return text;
}
