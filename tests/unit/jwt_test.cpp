// Signed token verification with the PEM key the program holds: statuses for each kind of bad
// input (a tampered token, one of four parts and one signed with another key are proven end to
// end; unsigned texts and signed payloads of any shape are the setting-code fuzzer's), and the
// lenient import of a small key written with non-DER lengths. Keys and tokens are made here
// with OpenSSL, so nothing depends on sample files.

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>

#include <glib.h>
#include <openssl/core_names.h>
#include <openssl/err.h>

#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"
#include "platform/GObjectPtr.h"
#include "support/TestSigningKey.h"

namespace {

using std::nullopt;
using Text = std::optional<std::string>;
constexpr const char* kPayload = R"({"serverInfo":"{\"T\":\"Acme\"}","n":1})";
constexpr std::uint64_t kOk = Q7ZJWTData::kVerified, kOne = Q7ZJWTData::kMalformedInput, kTwo = Q7ZJWTData::kRejected;

const TestSigningKey& signingKey() {
    static const auto key = TestSigningKey::generate(2048);
    return key;
}

Q7ZJWTData verifiedWithPem(const Text& message, const Text& pem) {
    Q7ZJWTData data;
    data.message = message;
    data.pemOfPublicKey = pem;
    data.verifySignatureWithPemPublicKey();
    return data;
}

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

// The key's public half with the length of each structure but the algorithm's in the long form
// (0x81 n or 0x82 hi lo), as some tools write keys: not DER, which OpenSSL refuses.
Bytes longFormPublicKeyDer(const EVP_PKEY* key) {
    const Bytes rsaAlgorithm{0x30, 0x0D, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01, 0x05, 0x00};
    const Bytes exponent = bignumParameter(key, OSSL_PKEY_PARAM_RSA_E);
    const Bytes modulus = longFormElement(0x02, {{0x00}, bignumParameter(key, OSSL_PKEY_PARAM_RSA_N)});
    const Bytes rsaKey = longFormElement(0x30, {modulus, {0x02, static_cast<std::uint8_t>(exponent.size())}, exponent});
    return longFormElement(0x30, {rsaAlgorithm, longFormElement(0x03, {{0x00}, rsaKey})});
}

TEST(Jwt, StatusAndResultOfEachKindOfToken) {
    const std::string pem = signingKey().publicKeyPem(), token = signingKey().token(kPayload);
    const struct {
        const char* name;
        Text message, pem;
        std::uint64_t status;
        bool yieldsPayload = false;
    } cases[] = {
        {"signed", token, pem, kOk, true},
        {"no message", nullopt, pem, kOne},
        {"empty key", token, "", kOne},
        {"key body unusable", token, "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----", kTwo},
        {"header of other algorithm, ignored", signingKey().token(kPayload, R"({"alg":"HS256"})"), pem, kOk, true},
        {"trailing CR LF", token + "\r\n", pem, kOk, true},
        {"leading space is not trimmed", " " + token, pem, kTwo},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const auto data = verifiedWithPem(row.message, row.pem);
        EXPECT_EQ(data.decodeStatus(), row.status);
        EXPECT_EQ(data.resultDic(), row.yieldsPayload ? std::optional(nlohmann::json::parse(kPayload)) : nullopt);
    }
    EXPECT_EQ(ERR_peek_error(), 0ul) << "failed imports must not leave errors queued";
}

// A 512-bit modulus needs lengths below 128, which a long-form key still writes as 0x81 xx:
// not DER, refused by OpenSSL's decoders, so only the lenient reader can import the PEM. The
// reader must still refuse damaged structures.
TEST(Jwt, SmallKeyImportsLenientlyAndDamagedStructuresAreRefused) {
    const auto smallKey = TestSigningKey::generate(512);
    const Bytes der = longFormPublicKeyDer(smallKey.key());
    const std::string pem = "-----BEGIN PUBLIC KEY-----\n" +
                            std::string(GCharPtr(g_base64_encode(der.data(), der.size())).get()) +
                            "\n-----END PUBLIC KEY-----";
    EXPECT_EQ(verifiedWithPem(smallKey.token(kPayload), pem).decodeStatus(), kOk);
    EXPECT_EQ(verifiedWithPem(signingKey().token(kPayload), pem).decodeStatus(), kTwo);

    Bytes truncated(der.begin(), der.end() - 1), trailing = der, otherAlgorithm = der, indefinite = der;
    trailing.push_back(0x00);
    otherAlgorithm[3 + 2 + 2 + 8] = 0x05;  // last OID byte: rsaEncryption (1) -> another algorithm
    indefinite[1] = 0x80;
    for (const Bytes& damagedDer : {truncated, trailing, otherAlgorithm, indefinite, Bytes{}})
        EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(damagedDer)) << damagedDer.size();
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::rsaKeyFromComponents({0x00}, {0x01, 0x00, 0x01}));
}

}  // namespace
