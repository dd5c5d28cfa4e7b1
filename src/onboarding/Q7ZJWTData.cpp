#include "onboarding/Q7ZJWTData.h"

#include <array>
#include <climits>
#include <cstdio>
#include <vector>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include "common/Json.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"

namespace {

constexpr std::size_t kTokenParts = 3;
constexpr std::size_t kMaxShortLongFormLength = 0xFF;
constexpr std::size_t kMaxEncodableLength = 0xFFFF;
constexpr std::size_t kMaxExponentBytes = 127;
constexpr std::array<const char*, 15> kRsaAlgorithmIdentifier = {
    "30", "0d", "06", "09", "2a", "86", "48", "86", "f7", "0d", "01", "01", "01", "05", "00"};

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

std::string hexByte(unsigned value) {
    std::array<char, 3> digits{};
    std::snprintf(digits.data(), digits.size(), "%02x", value & 0xFFu);
    return digits.data();
}

void prependBytes(std::deque<std::string>& pending, const Bytes& bytes) {
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) pending.push_front(hexByte(*byte));
}

int hexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

// The value of the leading hex digits of a one- or two-character group.
std::uint8_t hexGroupValue(std::string_view group) {
    unsigned value = 0;
    for (const char digit : group) {
        const int digitValue = hexDigitValue(digit);
        if (digitValue < 0) break;
        value = (value << 4) | static_cast<unsigned>(digitValue);
    }
    return static_cast<std::uint8_t>(value);
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

void Q7ZJWTData::verifySignatureWithXmlPublicKey() {
    if (!isNonEmpty(message) || !isNonEmpty(xmlModulusOfPublicKey) || !isNonEmpty(xmlExponentOfPublicKey)) {
        m_decodeStatus = kMalformedInput;
        return;
    }
    verifySignatureWithPublicKey(getPublicKeyFromXml());
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
    const bool verified = context && EVP_PKEY_verify_init(context.get()) == 1 &&
                          EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) == 1 &&
                          EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) == 1 &&
                          EVP_PKEY_verify(context.get(), signature.data(), signature.size(), digest->data(),
                                          digest->size()) == 1;
    ERR_clear_error();
    return verified;
}

std::string Q7ZJWTData::getPublicKeyFromXml() const {
    if (!xmlModulusOfPublicKey || !xmlExponentOfPublicKey) return "";
    const Bytes modulus = Base64::dataFromBase64String(*xmlModulusOfPublicKey);
    const Bytes exponent = Base64::dataFromBase64String(*xmlExponentOfPublicKey);
    // The outer SEQUENCE is the longest length field: modulus + exponent + 31 bytes at most (the
    // 15 AlgorithmIdentifier bytes, three 3-byte length fields, four tags, the BIT STRING's
    // unused-bits byte, the modulus' 0x00 and the exponent's one-byte length).
    if (exponent.size() > kMaxExponentBytes || modulus.size() + exponent.size() + 31 > kMaxEncodableLength) {
        return "";
    }

    std::deque<std::string> pending;
    prependBytes(pending, exponent);
    pending.push_front(hexByte(static_cast<unsigned>(exponent.size())));
    pending.push_front("02");
    prependBytes(pending, modulus);
    pending.push_front("00");
    appendLengthWithRefDaraArray(pending, modulus.size() + 1);
    pending.push_front("02");
    appendLengthWithRefDaraArray(pending, pending.size());
    pending.push_front("30");
    pending.push_front("00");
    appendLengthWithRefDaraArray(pending, pending.size());
    pending.push_front("03");
    for (auto byte = kRsaAlgorithmIdentifier.rbegin(); byte != kRsaAlgorithmIdentifier.rend(); ++byte) {
        pending.push_front(*byte);
    }
    appendLengthWithRefDaraArray(pending, pending.size());
    pending.push_front("30");

    std::string hex;
    for (const auto& byte : pending) hex += byte;
    const auto base64 = Base64::base64StringFromData(dataFromHexString(hex));
    if (!base64) return "";
    return "-----BEGIN PUBLIC KEY-----\n" + *base64 + "\n-----END PUBLIC KEY-----";
}

Bytes Q7ZJWTData::dataFromHexString(std::string_view hex) {
    Bytes bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t position = 0; position < hex.size(); position += 2) {
        bytes.push_back(hexGroupValue(hex.substr(position, 2)));
    }
    return bytes;
}

void Q7ZJWTData::appendLengthWithRefDaraArray(std::deque<std::string>& pendingHexBytes, std::size_t length) {
    if (length <= kMaxShortLongFormLength) {
        pendingHexBytes.push_front(hexByte(static_cast<unsigned>(length)));
        pendingHexBytes.push_front("81");
        return;
    }
    pendingHexBytes.push_front(hexByte(static_cast<unsigned>(length)));
    pendingHexBytes.push_front(hexByte(static_cast<unsigned>(length >> 8)));
    pendingHexBytes.push_front("82");
}
