#include "onboarding/Q7ZJWTData.h"

#include <array>
#include <climits>
#include <vector>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include "common/Json.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"

namespace {

constexpr std::size_t kTokenParts = 3;

bool isNonEmpty(const std::optional<std::string>& text) { return text && !text->empty(); }

std::vector<std::string_view> splitAtDots(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', start)) {
        parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

Bytes decodeBase64Url(std::string_view text) {
    return Base64::dataFromBase64String(Base64::base64StringFromBase64UrlEncodedString(text));
}

OpenSslHandles::EvpPkeyPtr readStrictPem(const std::string& pem) {
    if (pem.size() > INT_MAX) return nullptr;
    OpenSslHandles::BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio) return nullptr;
    return OpenSslHandles::EvpPkeyPtr(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
}

std::optional<std::array<unsigned char, 32>> sha256(const std::string& input) {
    std::array<unsigned char, 32> digest{};
    unsigned int digestLength = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &digestLength, EVP_sha256(), nullptr) != 1 ||
        digestLength != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace

void Q7ZJWTData::verifySignatureWithPemPublicKey() {
    if (!isNonEmpty(message) || !isNonEmpty(pemOfPublicKey)) {
        m_decodeStatus = kMalformedInput;
        return;
    }
    verifySignatureWithPublicKey(*pemOfPublicKey);
}

void Q7ZJWTData::verifySignatureWithPublicKey(const std::string& pem) {
    const std::string token = message.value_or("");
    const auto parts = splitAtDots(token);
    if (parts.size() != kTokenParts) {
        m_decodeStatus = kMalformedInput;
        return;
    }
    const std::string signingInput = std::string(parts[0]) + "." + std::string(parts[1]);
    auto payload = Q7Z_JSON::JSONValue(decodeBase64Url(parts[1]));
    if (payload && !payload->is_object()) payload.reset();

    const auto key = getPublicKeyRef(pem);
    if (!key || !verifyInput(signingInput, std::string(parts[2]), key.get())) {
        m_decodeStatus = kRejected;
        return;
    }
    m_decodeStatus = kVerified;
    m_resultDic = std::move(payload);
}

OpenSslHandles::EvpPkeyPtr Q7ZJWTData::getPublicKeyRef(const std::string& pem) {
    auto key = readStrictPem(pem);
    if (!key) key = Q7ZLenientPublicKeyReader::readPem(pem);
    // Failed decoder attempts leave entries on this thread's error queue; later OpenSSL
    // callers must not mistake them for their own.
    ERR_clear_error();
    return key;
}

bool Q7ZJWTData::verifyInput(const std::string& signingInput, const std::string& signatureBase64Url, EVP_PKEY* key) {
    if (!key) return false;
    const Bytes signature = decodeBase64Url(signatureBase64Url);
    const auto digest = sha256(signingInput);
    if (!digest) return false;

    OpenSslHandles::EvpPkeyCtxPtr context(EVP_PKEY_CTX_new(key, nullptr));
    const bool verified =
        context && EVP_PKEY_verify_init(context.get()) == 1 &&
        EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) == 1 &&
        EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) == 1 &&
        EVP_PKEY_verify(context.get(), signature.data(), signature.size(), digest->data(), digest->size()) == 1;
    ERR_clear_error();
    return verified;
}
