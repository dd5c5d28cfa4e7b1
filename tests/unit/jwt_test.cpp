// Signed token verification: statuses for each kind of bad input, the two key forms (PEM and
// XML modulus/exponent) agreeing, the SubjectPublicKeyInfo built from the XML form (as OpenSSL
// writes it, up to the largest two-byte length), and the lenient import of small keys.
// Keys and tokens are made here with OpenSSL, so nothing depends on sample files.

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
constexpr std::uint64_t kOk = Q7ZJWTData::kVerified, kOne = Q7ZJWTData::kMalformedInput,
                        kTwo = Q7ZJWTData::kRejected;

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

Q7ZJWTData xmlData(const Text& message, const Text& modulus, const Text& exponent, bool verify = false) {
    Q7ZJWTData data;
    data.message = message;
    data.xmlModulusOfPublicKey = modulus;
    data.xmlExponentOfPublicKey = exponent;
    if (verify) data.verifySignatureWithXmlPublicKey();
    return data;
}

Q7ZJWTData verifiedWithXml(const Text& message, const TestSigningKey& key) {
    return xmlData(message, key.modulusBase64(), key.exponentBase64(), true);
}
std::string base64(std::size_t size, std::uint8_t byte) { return Base64::base64StringFromData(Bytes(size, byte)).value(); }

std::string xmlKeyPem(const std::string& modulus, const std::string& exponent) {
    return xmlData(nullopt, modulus, exponent).getPublicKeyFromXml();
}

// The DER bytes between the BEGIN and END lines; the framing itself is proven by verifying
// through the XML form, which reads this text back.
Bytes pemBody(const std::string& pem) {
    const std::size_t begin = pem.find('\n') + 1, end = pem.rfind("\n-----END");
    return Base64::dataFromBase64String(pem.substr(begin, end - begin));
}

// Each row is verified with the given PEM; rows using the signing key are verified through the
// XML modulus/exponent form too, which must give the same status and result.
TEST(Jwt, StatusesAndResultsAgreeForBothKeyForms) {
    struct Case { const char* name; Text message, pem; std::uint64_t status; bool yieldsPayload = false; };
    const std::string pem = signingKey().publicKeyPem(), token = signingKey().token(kPayload);
    const std::size_t firstDot = token.find('.'), lastDot = token.rfind('.');
    const Case cases[] = {
        {"signed", token, pem, kOk, true},
        {"no message", nullopt, pem, kOne},
        {"empty key", token, "", kOne},
        {"four parts", token + ".extra", pem, kOne},
        {"three empty parts reach the key", "..", pem, kTwo},
        {"key body unusable", token, "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----", kTwo},
        {"tampered payload", token.substr(0, firstDot + 1) + base64UrlEncode(R"({"n":2})") + token.substr(lastDot),
         pem, kTwo},
        {"no signature", token.substr(0, lastDot + 1), pem, kTwo},
        {"header of other algorithm, ignored", signingKey().token(kPayload, R"({"alg":"HS256"})"), pem, kOk, true},
        {"trailing CR LF", token + "\r\n", pem, kOk, true},
        {"leading space is not trimmed", " " + token, pem, kTwo},
        {"payload not JSON", signingKey().token("not json"), pem, kOk},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const auto data = verifiedWithPem(row.message, row.pem);
        EXPECT_EQ(data.decodeStatus(), row.status);
        EXPECT_EQ(data.resultDic(), row.yieldsPayload ? std::optional(nlohmann::json::parse(kPayload)) : nullopt);
        if (row.pem == pem) {
            const auto xml = verifiedWithXml(row.message, signingKey());
            EXPECT_EQ(xml.decodeStatus(), row.status);
            EXPECT_EQ(xml.resultDic(), data.resultDic());
        }
    }
    EXPECT_EQ(ERR_peek_error(), 0ul) << "failed imports must not leave errors queued";
}

// The XML form builds the structure OpenSSL writes, up to the largest two-byte outer length.
TEST(Jwt, XmlKeyStructureOrMissingOrUnencodableKey) {
    const std::string n = signingKey().modulusBase64(), e = signingKey().exponentBase64();
    EXPECT_EQ(pemBody(xmlKeyPem(n, e)), pemBody(signingKey().publicKeyPem()));
    const auto status = [](const Text& modulus, const Text& exponent) {
        return xmlData(signingKey().token(kPayload), modulus, exponent, true).decodeStatus();
    };
    EXPECT_EQ(std::make_pair(status(n, nullopt), status("", e)), std::make_pair(kOne, kOne));
    // With a 3-byte exponent the outer length reaches 65535 at a modulus of 65501 bytes.
    const std::string longExponent = base64(128, 0x01), longModulus = base64(65502, 0xAB);
    const Bytes largest = pemBody(xmlKeyPem(base64(65501, 0xAB), e));
    ASSERT_GE(largest.size(), 4u);
    EXPECT_EQ(Bytes(largest.begin(), largest.begin() + 4), (Bytes{0x30, 0x82, 0xFF, 0xFF}));
    EXPECT_EQ(xmlKeyPem(n, longExponent) + xmlKeyPem(longModulus, e), "");
    EXPECT_EQ(std::make_pair(status(n, longExponent), status(longModulus, e)), std::make_pair(kTwo, kTwo));
}

// A 512-bit modulus needs lengths below 128, which the XML form still writes as 0x81 xx: not
// DER, refused by OpenSSL's decoders, so only the lenient reader can import it. The reader
// must still refuse damaged structures.
TEST(Jwt, SmallKeyImportsLenientlyAndDamagedStructuresAreRefused) {
    const auto smallKey = TestSigningKey::generate(512);
    const Bytes der = pemBody(xmlKeyPem(smallKey.modulusBase64(), smallKey.exponentBase64()));
    ASSERT_GE(der.size(), 3u);
    EXPECT_EQ(Bytes(der.begin(), der.begin() + 3), (Bytes{0x30, 0x81, static_cast<std::uint8_t>(der.size() - 3)}));
    const std::string token = smallKey.token(kPayload);
    EXPECT_EQ(verifiedWithXml(token, smallKey).decodeStatus(), kOk);
    EXPECT_EQ(verifiedWithXml(signingKey().token(kPayload), smallKey).decodeStatus(), kTwo);

    Bytes truncated(der.begin(), der.end() - 1), trailing = der, otherAlgorithm = der, indefinite = der;
    trailing.push_back(0x00);
    otherAlgorithm[3 + 2 + 2 + 8] = 0x05;  // last OID byte: rsaEncryption (1) -> another algorithm
    indefinite[1] = 0x80;
    for (const Bytes& damagedDer : {truncated, trailing, otherAlgorithm, indefinite, Bytes{}})
        EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(damagedDer)) << damagedDer.size();
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::rsaKeyFromComponents({0x00}, {0x01, 0x00, 0x01}));
}

}  // namespace
