// Signed token verification: statuses for each kind of bad input, the two key forms (PEM and
// XML modulus/exponent) agreeing, and the exact SubjectPublicKeyInfo built from the XML form.
// Keys and tokens are made here with OpenSSL, so nothing depends on sample files.

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include "common/Base64.h"
#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"
#include "support/TestSigningKey.h"

namespace {

constexpr const char* kPayload = R"({"serverInfo":"{\"T\":\"Acme\"}","n":1})";

class JwtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        signingKey = new TestSigningKey(TestSigningKey::generate(2048));
        otherKey = new TestSigningKey(TestSigningKey::generate(2048));
    }
    static void TearDownTestSuite() {
        delete signingKey;
        delete otherKey;
    }

    static Q7ZJWTData verifiedWithPem(const std::optional<std::string>& message,
                                      const std::optional<std::string>& pem) {
        Q7ZJWTData data;
        data.message = message;
        data.pemOfPublicKey = pem;
        data.verifySignatureWithPemPublicKey();
        return data;
    }
    static Q7ZJWTData verifiedWithXml(const std::optional<std::string>& message, const TestSigningKey& key) {
        Q7ZJWTData data;
        data.message = message;
        data.xmlModulusOfPublicKey = key.modulusBase64();
        data.xmlExponentOfPublicKey = key.exponentBase64();
        data.verifySignatureWithXmlPublicKey();
        return data;
    }
    static std::uint64_t pemStatus(const std::string& message) {
        return verifiedWithPem(message, signingKey->publicKeyPem()).decodeStatus();
    }

    static TestSigningKey* signingKey;
    static TestSigningKey* otherKey;
};

TestSigningKey* JwtTest::signingKey = nullptr;
TestSigningKey* JwtTest::otherKey = nullptr;

Bytes pemBody(const std::string& pem) {
    const std::string begin = "-----BEGIN PUBLIC KEY-----\n";
    const std::string end = "\n-----END PUBLIC KEY-----";
    EXPECT_EQ(pem.rfind(begin, 0), 0u);
    EXPECT_EQ(pem.substr(pem.size() - end.size()), end);
    return Base64::dataFromBase64String(pem.substr(begin.size(), pem.size() - begin.size() - end.size()));
}

TEST_F(JwtTest, FreshObjectReportsVerifiedWithNoResult) {
    const Q7ZJWTData data;
    EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kVerified);
    EXPECT_FALSE(data.resultDic().has_value());
}

TEST_F(JwtTest, CorrectlySignedTokenYieldsItsPayload) {
    const auto data = verifiedWithPem(signingKey->token(kPayload), signingKey->publicKeyPem());
    EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kVerified);
    ASSERT_TRUE(data.resultDic().has_value());
    EXPECT_EQ(*data.resultDic(), nlohmann::json::parse(kPayload));
}

TEST_F(JwtTest, MissingOrMalformedInputIsStatusOne) {
    const std::string pem = signingKey->publicKeyPem();
    const std::string token = signingKey->token(kPayload);
    EXPECT_EQ(verifiedWithPem(std::nullopt, pem).decodeStatus(), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(verifiedWithPem("", pem).decodeStatus(), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(verifiedWithPem(token, std::nullopt).decodeStatus(), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(verifiedWithPem(token, "").decodeStatus(), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(pemStatus("a.b"), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(pemStatus(token + ".extra"), Q7ZJWTData::kMalformedInput);
    EXPECT_EQ(pemStatus("no dots at all"), Q7ZJWTData::kMalformedInput);
    // Empty parts still count as parts: three of them reach the key and fail there.
    EXPECT_EQ(pemStatus(".."), Q7ZJWTData::kRejected);
}

TEST_F(JwtTest, XmlPathNeedsMessageModulusAndExponent) {
    const std::string token = signingKey->token(kPayload);
    Q7ZJWTData noExponent;
    noExponent.message = token;
    noExponent.xmlModulusOfPublicKey = signingKey->modulusBase64();
    noExponent.verifySignatureWithXmlPublicKey();
    EXPECT_EQ(noExponent.decodeStatus(), Q7ZJWTData::kMalformedInput);

    Q7ZJWTData emptyModulus;
    emptyModulus.message = token;
    emptyModulus.xmlModulusOfPublicKey = "";
    emptyModulus.xmlExponentOfPublicKey = signingKey->exponentBase64();
    emptyModulus.verifySignatureWithXmlPublicKey();
    EXPECT_EQ(emptyModulus.decodeStatus(), Q7ZJWTData::kMalformedInput);

    EXPECT_EQ(verifiedWithXml("", *signingKey).decodeStatus(), Q7ZJWTData::kMalformedInput);
}

TEST_F(JwtTest, UnusableKeyTextIsStatusTwo) {
    const std::string token = signingKey->token(kPayload);
    EXPECT_EQ(verifiedWithPem(token, "not a key").decodeStatus(), Q7ZJWTData::kRejected);
    EXPECT_EQ(verifiedWithPem(token, "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----").decodeStatus(),
              Q7ZJWTData::kRejected);
    EXPECT_EQ(ERR_peek_error(), 0ul) << "failed imports must not leave errors queued";
}

TEST_F(JwtTest, WrongKeyOrChangedPayloadIsStatusTwo) {
    const std::string token = signingKey->token(kPayload);
    EXPECT_EQ(verifiedWithPem(token, otherKey->publicKeyPem()).decodeStatus(), Q7ZJWTData::kRejected);

    const std::size_t firstDot = token.find('.');
    const std::size_t secondDot = token.find('.', firstDot + 1);
    const std::string tampered = token.substr(0, firstDot + 1) + base64UrlEncode(std::string(R"({"n":2})")) +
                                 token.substr(secondDot);
    const auto data = verifiedWithPem(tampered, signingKey->publicKeyPem());
    EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kRejected);
    EXPECT_FALSE(data.resultDic().has_value());
}

TEST_F(JwtTest, FailedVerificationLeavesEarlierResult) {
    Q7ZJWTData data;
    data.pemOfPublicKey = signingKey->publicKeyPem();
    data.message = signingKey->token(kPayload);
    data.verifySignatureWithPemPublicKey();
    data.message = otherKey->token(R"({"other":true})");
    data.verifySignatureWithPemPublicKey();
    EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kRejected);
    ASSERT_TRUE(data.resultDic().has_value());
    EXPECT_EQ(*data.resultDic(), nlohmann::json::parse(kPayload));
}

TEST_F(JwtTest, SignedPayloadThatIsNotAnObjectVerifiesWithoutResult) {
    for (const char* payload : {"not json", "[1,2,3]", ""}) {
        const auto data = verifiedWithPem(signingKey->token(payload), signingKey->publicKeyPem());
        EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kVerified) << payload;
        EXPECT_FALSE(data.resultDic().has_value()) << payload;
    }
}

TEST_F(JwtTest, HeaderIsNeverExamined) {
    EXPECT_EQ(pemStatus(signingKey->token(kPayload, R"({"alg":"HS256"})")), Q7ZJWTData::kVerified);
    EXPECT_EQ(pemStatus(signingKey->token(kPayload, "not even json")), Q7ZJWTData::kVerified);
}

TEST_F(JwtTest, SignaturePaddingAndTrailingLineBreakAreIgnored) {
    const std::string token = signingKey->token(kPayload);
    EXPECT_EQ(pemStatus(token + "=="), Q7ZJWTData::kVerified);
    EXPECT_EQ(pemStatus(token + "\n"), Q7ZJWTData::kVerified);
    EXPECT_EQ(pemStatus(token + "\r\n"), Q7ZJWTData::kVerified);
}

TEST_F(JwtTest, MessageIsNotTrimmed) {
    const std::string token = signingKey->token(kPayload);
    EXPECT_EQ(pemStatus(" " + token), Q7ZJWTData::kRejected);
    EXPECT_EQ(pemStatus("\n" + token), Q7ZJWTData::kRejected);
}

TEST_F(JwtTest, DamagedSignatureIsRejected) {
    std::string token = signingKey->token(kPayload);
    // The first signature character carries six full bits (the last one only two, plus
    // padding bits the decoder drops).
    char& first = token[token.rfind('.') + 1];
    first = first == 'A' ? 'B' : 'A';
    EXPECT_EQ(pemStatus(token), Q7ZJWTData::kRejected);
    const std::string unsignedToken = token.substr(0, token.rfind('.') + 1);
    EXPECT_EQ(pemStatus(unsignedToken), Q7ZJWTData::kRejected);
}

TEST_F(JwtTest, KeyOfAnotherTypeIsRejected) {
    OpenSslHandles::EvpPkeyPtr ecKey(EVP_EC_gen("P-256"));
    ASSERT_TRUE(ecKey);
    OpenSslHandles::BioPtr bio(BIO_new(BIO_s_mem()));
    ASSERT_EQ(PEM_write_bio_PUBKEY(bio.get(), ecKey.get()), 1);
    char* text = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &text);
    const std::string ecPem(text, static_cast<std::size_t>(length));
    EXPECT_EQ(verifiedWithPem(signingKey->token(kPayload), ecPem).decodeStatus(), Q7ZJWTData::kRejected);
}

// --- the XML key form -------------------------------------------------------------------------

TEST_F(JwtTest, XmlKeyOf2048BitsBuildsThe294ByteStructure) {
    Q7ZJWTData data;
    data.xmlModulusOfPublicKey = signingKey->modulusBase64();
    data.xmlExponentOfPublicKey = signingKey->exponentBase64();
    const Bytes der = pemBody(data.getPublicKeyFromXml());
    const Bytes modulus = Base64::dataFromBase64String(*data.xmlModulusOfPublicKey);
    ASSERT_EQ(modulus.size(), 256u);
    ASSERT_EQ(der.size(), 294u);

    Bytes expected = {0x30, 0x82, 0x01, 0x22, 0x30, 0x0D, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01,
                      0x01, 0x01, 0x05, 0x00, 0x03, 0x82, 0x01, 0x0F, 0x00, 0x30, 0x82, 0x01, 0x0A, 0x02, 0x82,
                      0x01, 0x01, 0x00};
    expected.insert(expected.end(), modulus.begin(), modulus.end());
    expected.insert(expected.end(), {0x02, 0x03, 0x01, 0x00, 0x01});
    EXPECT_EQ(der, expected);
    // The same structure OpenSSL writes for the key.
    EXPECT_EQ(der, pemBody(signingKey->publicKeyPem()));
}

TEST_F(JwtTest, BothKeyFormsAgreeOnTheSameTokens) {
    const std::string token = signingKey->token(kPayload);
    std::string damaged = token;
    damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == 'x' ? 'y' : 'x';
    const std::vector<std::string> tokens = {token,
                                             token + "\n",
                                             signingKey->token("plain text"),
                                             signingKey->token(kPayload, R"({"alg":"none"})"),
                                             otherKey->token(kPayload),
                                             damaged,
                                             " " + token,
                                             "a.b",
                                             ""};
    for (const auto& message : tokens) {
        const auto pem = verifiedWithPem(message, signingKey->publicKeyPem());
        const auto xml = verifiedWithXml(message, *signingKey);
        EXPECT_EQ(pem.decodeStatus(), xml.decodeStatus()) << message;
        EXPECT_EQ(pem.resultDic(), xml.resultDic()) << message;
    }
    EXPECT_EQ(verifiedWithXml(token, *signingKey).decodeStatus(), Q7ZJWTData::kVerified);
}

// A 512-bit modulus needs lengths below 128, which the XML form still writes as 0x81 xx: not
// DER, refused by OpenSSL's decoders, so only the lenient reader can import it.
TEST_F(JwtTest, LongFormLengthsOfSmallKeysStillImport) {
    const auto smallKey = TestSigningKey::generate(512);
    Q7ZJWTData data;
    data.xmlModulusOfPublicKey = smallKey.modulusBase64();
    data.xmlExponentOfPublicKey = smallKey.exponentBase64();
    const std::string pem = data.getPublicKeyFromXml();
    const Bytes der = pemBody(pem);
    ASSERT_GE(der.size(), 3u);
    EXPECT_EQ(der[0], 0x30);
    EXPECT_EQ(der[1], 0x81);
    EXPECT_EQ(static_cast<std::size_t>(der[2]), der.size() - 3);

    const auto imported = Q7ZJWTData::getPublicKeyRef(pem);
    ASSERT_TRUE(imported);
    EXPECT_EQ(EVP_PKEY_eq(imported.get(), smallKey.key()), 1);

    const std::string token = smallKey.token(kPayload);
    EXPECT_EQ(verifiedWithXml(token, smallKey).decodeStatus(), Q7ZJWTData::kVerified);
    EXPECT_EQ(verifiedWithPem(token, smallKey.publicKeyPem()).decodeStatus(), Q7ZJWTData::kVerified);
    EXPECT_EQ(verifiedWithXml(signingKey->token(kPayload), smallKey).decodeStatus(), Q7ZJWTData::kRejected);
}

TEST_F(JwtTest, LenientReaderRefusesDamagedStructures) {
    const auto smallKey = TestSigningKey::generate(512);
    Q7ZJWTData data;
    data.xmlModulusOfPublicKey = smallKey.modulusBase64();
    data.xmlExponentOfPublicKey = smallKey.exponentBase64();
    const Bytes der = pemBody(data.getPublicKeyFromXml());
    ASSERT_TRUE(Q7ZLenientPublicKeyReader::readDer(der));

    Bytes truncated(der.begin(), der.end() - 1);
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(truncated));
    Bytes trailing = der;
    trailing.push_back(0x00);
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(trailing));
    Bytes otherAlgorithm = der;
    otherAlgorithm[3 + 2 + 2 + 8] = 0x05;  // last OID byte: rsaEncryption (1) -> another algorithm
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(otherAlgorithm));
    Bytes indefinite = der;
    indefinite[1] = 0x80;
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer(indefinite));
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::readDer({}));
    EXPECT_FALSE(Q7ZLenientPublicKeyReader::rsaKeyFromComponents({0x00}, {0x01, 0x00, 0x01}));
}

TEST_F(JwtTest, XmlKeyThatCannotBeEncodedGivesNoPemAndStatusTwo) {
    Q7ZJWTData data;
    data.message = signingKey->token(kPayload);
    data.xmlModulusOfPublicKey = signingKey->modulusBase64();
    data.xmlExponentOfPublicKey = Base64::base64StringFromData(Bytes(128, 0x01)).value();
    EXPECT_EQ(data.getPublicKeyFromXml(), "");
    data.verifySignatureWithXmlPublicKey();
    EXPECT_EQ(data.decodeStatus(), Q7ZJWTData::kRejected);

    data.xmlExponentOfPublicKey = signingKey->exponentBase64();
    data.xmlModulusOfPublicKey = Base64::base64StringFromData(Bytes(70000, 0xAB)).value();
    EXPECT_EQ(data.getPublicKeyFromXml(), "");
}

TEST(JwtDerHelpers, LengthsAreAlwaysLongForm) {
    std::deque<std::string> pending = {"aa"};
    Q7ZJWTData::appendLengthWithRefDaraArray(pending, 5);
    EXPECT_EQ(pending, (std::deque<std::string>{"81", "05", "aa"}));
    pending = {};
    Q7ZJWTData::appendLengthWithRefDaraArray(pending, 255);
    EXPECT_EQ(pending, (std::deque<std::string>{"81", "ff"}));
    pending = {};
    Q7ZJWTData::appendLengthWithRefDaraArray(pending, 256);
    EXPECT_EQ(pending, (std::deque<std::string>{"82", "01", "00"}));
    pending = {};
    Q7ZJWTData::appendLengthWithRefDaraArray(pending, 0xFFFF);
    EXPECT_EQ(pending, (std::deque<std::string>{"82", "ff", "ff"}));
}

TEST(JwtDerHelpers, HexTextBecomesBytesTwoDigitsAtATime) {
    EXPECT_EQ(Q7ZJWTData::dataFromHexString("0a1B30"), (Bytes{0x0A, 0x1B, 0x30}));
    EXPECT_EQ(Q7ZJWTData::dataFromHexString("abc"), (Bytes{0xAB, 0x0C}));
    EXPECT_EQ(Q7ZJWTData::dataFromHexString(""), Bytes{});
    EXPECT_EQ(Q7ZJWTData::dataFromHexString("zz4g"), (Bytes{0x00, 0x04}));
}

}  // namespace
