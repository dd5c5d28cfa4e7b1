#include "support/TestSigningKey.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include <openssl/core_names.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

using OpenSslHandles::BignumPtr;
using OpenSslHandles::BioPtr;
using OpenSslHandles::EvpMdCtxPtr;
using OpenSslHandles::EvpPkeyPtr;

TestSigningKey TestSigningKey::generate(unsigned bits) {
    EvpPkeyPtr key(EVP_RSA_gen(bits));
    if (!key) throw std::runtime_error("cannot generate an RSA key");
    return TestSigningKey(std::move(key));
}

TestSigningKey TestSigningKey::fromPrivateKeyFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), &std::fclose);
    if (!file) throw std::runtime_error("cannot open " + path);
    EvpPkeyPtr key(PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr));
    if (!key) throw std::runtime_error("no private key in " + path);
    return TestSigningKey(std::move(key));
}

std::string TestSigningKey::publicKeyPem() const {
    BioPtr bio(BIO_new(BIO_s_mem()));
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
    BignumPtr value(raw);
    Bytes bytes(static_cast<std::size_t>(BN_num_bytes(value.get())));
    BN_bn2bin(value.get(), bytes.data());
    return Base64::base64StringFromData(bytes).value();
}

std::string TestSigningKey::modulusBase64() const { return bignumParameterBase64(OSSL_PKEY_PARAM_RSA_N); }
std::string TestSigningKey::exponentBase64() const { return bignumParameterBase64(OSSL_PKEY_PARAM_RSA_E); }

std::string TestSigningKey::sign(std::string_view signingInput) const {
    EvpMdCtxPtr context(EVP_MD_CTX_new());
    std::size_t length = 0;
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &length,
                       reinterpret_cast<const unsigned char*>(signingInput.data()), signingInput.size()) != 1) {
        throw std::runtime_error("cannot sign");
    }
    Bytes signature(length);
    if (EVP_DigestSign(context.get(), signature.data(), &length,
                       reinterpret_cast<const unsigned char*>(signingInput.data()), signingInput.size()) != 1) {
        throw std::runtime_error("cannot sign");
    }
    signature.resize(length);
    return base64UrlEncode(signature);
}

std::string TestSigningKey::token(std::string_view payloadJson, std::string_view headerJson) const {
    const std::string signingInput = base64UrlEncode(headerJson) + "." + base64UrlEncode(payloadJson);
    return signingInput + "." + sign(signingInput);
}

std::string base64UrlEncode(const Bytes& bytes) {
    std::string text = Base64::base64StringFromData(bytes).value();
    while (!text.empty() && text.back() == '=') text.pop_back();
    for (char& character : text) {
        if (character == '+') character = '-';
        if (character == '/') character = '_';
    }
    return text;
}

std::string base64UrlEncode(std::string_view bytes) { return base64UrlEncode(Bytes(bytes.begin(), bytes.end())); }
