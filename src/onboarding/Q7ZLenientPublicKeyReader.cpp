#include "onboarding/Q7ZLenientPublicKeyReader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <openssl/core_names.h>

namespace {

constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagBitString = 0x03;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectIdentifier = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;
constexpr std::size_t kMaxLengthBytes = 4;

constexpr std::array<std::uint8_t, 9> kRsaEncryptionOid = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};
constexpr std::string_view kPemBegin = "-----BEGIN PUBLIC KEY-----";
constexpr std::string_view kPemEnd = "-----END PUBLIC KEY-----";

struct Element {
    std::uint8_t tag = 0;
    std::size_t begin = 0;  // first content byte
    std::size_t end = 0;    // one past the last content byte
};

// Walks the elements between two offsets of a buffer, one TLV at a time.
class DerCursor {
public:
    DerCursor(const Bytes& data, std::size_t begin, std::size_t end) : m_data(data), m_position(begin), m_end(end) {}
    explicit DerCursor(const Bytes& data) : DerCursor(data, 0, data.size()) {}
    DerCursor(const Bytes& data, const Element& container) : DerCursor(data, container.begin, container.end) {}

    bool atEnd() const { return m_position == m_end; }

    std::optional<Element> next(std::uint8_t expectedTag) {
        if (m_end - m_position < 2 || m_data[m_position] != expectedTag) return std::nullopt;
        ++m_position;
        const auto length = readLength();
        if (!length || *length > m_end - m_position) return std::nullopt;
        Element element{expectedTag, m_position, m_position + *length};
        m_position = element.end;
        return element;
    }

private:
    // Short form, or long form with one to four length bytes; indefinite lengths are refused.
    std::optional<std::size_t> readLength() {
        const std::uint8_t first = m_data[m_position++];
        if (first < 0x80) return first;
        const std::size_t count = first & 0x7F;
        if (count == 0 || count > kMaxLengthBytes || count > m_end - m_position) return std::nullopt;
        std::size_t length = 0;
        for (std::size_t index = 0; index < count; ++index) length = (length << 8) | m_data[m_position++];
        return length;
    }

    const Bytes& m_data;
    std::size_t m_position;
    std::size_t m_end;
};

bool isRsaAlgorithm(const Bytes& der, const Element& algorithm) {
    DerCursor cursor(der, algorithm);
    const auto oid = cursor.next(kTagObjectIdentifier);
    if (!oid || oid->end - oid->begin != kRsaEncryptionOid.size()) return false;
    if (!std::equal(kRsaEncryptionOid.begin(), kRsaEncryptionOid.end(), der.begin() + oid->begin)) return false;
    if (cursor.atEnd()) return true;
    const auto parameters = cursor.next(kTagNull);
    return parameters && parameters->begin == parameters->end && cursor.atEnd();
}

Bytes contentOf(const Bytes& der, const Element& element) {
    return Bytes(der.begin() + static_cast<std::ptrdiff_t>(element.begin),
                 der.begin() + static_cast<std::ptrdiff_t>(element.end));
}

// The two INTEGERs of the RSAPublicKey inside the BIT STRING (after its unused-bits byte).
OpenSslHandles::EvpPkeyPtr readRsaPublicKey(const Bytes& der, const Element& bitString) {
    if (bitString.begin == bitString.end || der[bitString.begin] != 0x00) return nullptr;
    DerCursor bits(der, bitString.begin + 1, bitString.end);
    const auto sequence = bits.next(kTagSequence);
    if (!sequence || !bits.atEnd()) return nullptr;
    DerCursor integers(der, *sequence);
    const auto modulus = integers.next(kTagInteger);
    const auto exponent = modulus ? integers.next(kTagInteger) : std::nullopt;
    if (!exponent || !integers.atEnd()) return nullptr;
    return Q7ZLenientPublicKeyReader::rsaKeyFromComponents(contentOf(der, *modulus), contentOf(der, *exponent));
}

OpenSslHandles::BignumPtr bignumFromBytes(const Bytes& bytes) {
    return OpenSslHandles::BignumPtr(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

}  // namespace

OpenSslHandles::EvpPkeyPtr Q7ZLenientPublicKeyReader::readPem(std::string_view pem) {
    const std::size_t begin = pem.find(kPemBegin);
    if (begin == std::string_view::npos) return nullptr;
    const std::size_t bodyStart = begin + kPemBegin.size();
    const std::size_t end = pem.find(kPemEnd, bodyStart);
    if (end == std::string_view::npos) return nullptr;
    return readDer(Base64::dataFromBase64String(pem.substr(bodyStart, end - bodyStart)));
}

OpenSslHandles::EvpPkeyPtr Q7ZLenientPublicKeyReader::readDer(const Bytes& der) {
    DerCursor outer(der);
    const auto info = outer.next(kTagSequence);
    if (!info || !outer.atEnd()) return nullptr;
    DerCursor members(der, *info);
    const auto algorithm = members.next(kTagSequence);
    if (!algorithm || !isRsaAlgorithm(der, *algorithm)) return nullptr;
    const auto bitString = members.next(kTagBitString);
    if (!bitString || !members.atEnd()) return nullptr;
    return readRsaPublicKey(der, *bitString);
}

OpenSslHandles::EvpPkeyPtr Q7ZLenientPublicKeyReader::rsaKeyFromComponents(const Bytes& modulus,
                                                                           const Bytes& exponent) {
    const auto n = bignumFromBytes(modulus);
    const auto e = bignumFromBytes(exponent);
    if (!n || !e || BN_is_zero(n.get()) || BN_is_zero(e.get())) return nullptr;

    OpenSslHandles::ParamBldPtr builder(OSSL_PARAM_BLD_new());
    if (!builder || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1) {
        return nullptr;
    }
    OpenSslHandles::ParamsPtr params(OSSL_PARAM_BLD_to_param(builder.get()));
    OpenSslHandles::EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1) return nullptr;
    EVP_PKEY* key = nullptr;
    if (EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) return nullptr;
    return OpenSslHandles::EvpPkeyPtr(key);
}
