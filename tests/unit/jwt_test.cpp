// Signed token verification with the PEM key the program holds: statuses for each kind of bad
// input (a tampered token, one of four parts and one signed with another key are proven end to
// end; unsigned texts and signed payloads of any shape are the setting-code fuzzer's), and the
// lenient import of a small key written with non-DER lengths. Keys and tokens are made here
// with OpenSSL, so nothing depends on sample files.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <openssl/err.h>

#include "common/Base64.h"
#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"
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

TEST(Jwt, StatusAndResultOfEachKindOfToken) {
    struct Case {
        const char* name;
        Text message, pem;
        std::uint64_t status;
        bool yieldsPayload = false;
    };
    const std::string pem = signingKey().publicKeyPem(), token = signingKey().token(kPayload);
    const Case cases[] = {
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
    const std::string pem = smallKey.longFormPublicKeyPem();
    // The DER bytes between the BEGIN and END lines, whose framing is proven by verifying.
    const Bytes der = Base64::dataFromBase64String(pem.substr(pem.find('\n'), pem.rfind('\n') - pem.find('\n')));
    ASSERT_GE(der.size(), 3u);
    EXPECT_EQ(Bytes(der.begin(), der.begin() + 3), (Bytes{0x30, 0x81, static_cast<std::uint8_t>(der.size() - 3)}));
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
