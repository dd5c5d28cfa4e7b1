// The demo organisation server and the setting-code signer, which other tests rely on: login
// pages by organisation (200, 500 for a broken one), several servers side by side on free
// ports, a data folder of one's own, and tokens whose signature verifies with the shipped
// public key.

#include <gtest/gtest.h>

#include <memory>

#include <nlohmann/json.hpp>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include "common/Base64.h"
#include "config/SynchronousTask.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

const std::string kLoginPage = "VUD/Parlor/ParlorLogin.aspx?lang=en-US";

long statusOf(const std::string& url, const std::string& method = "POST") {
    UrlRequest request;
    request.url = url;
    request.method = method;
    UrlResponse response;
    return SynchronousTask::sendSynchronousDataTaskWithRequest(request, &response, nullptr) ? response.statusCode : -1;
}

std::string base64UrlDecode(const std::string& part) {
    const Bytes bytes = Base64::dataFromBase64String(Base64::base64StringFromBase64UrlEncodedString(part));
    return std::string(bytes.begin(), bytes.end());
}

bool verifiesWithTestPublicKey(const std::string& signingInput, const std::string& signature) {
    const std::string pem = readFileText(testPublicKeyPath());
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr),
                                                            EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!key || EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(signingInput.data()), signingInput.size()) == 1;
}

// That a stopped server's port is closed is shown by the closed-port test of SynchronousTask.
TEST(DemoServer, ServesLoginPagesByOrganisationSideBySide) {
    DemoServer server;
    DemoServer other;
    EXPECT_EQ(server.baseUrl(), "http://127.0.0.1:" + std::to_string(server.port()) + "/");
    EXPECT_NE(server.port(), other.port());
    for (const std::string base : {"Community/", "orgs/acme/", "orgs/north/", "orgs/south/"}) {
        EXPECT_EQ(statusOf(server.url(base + kLoginPage)), 200) << base;
        EXPECT_EQ(statusOf(other.url(base + kLoginPage), "GET"), 200) << base;
    }
    EXPECT_EQ(statusOf(server.url("orgs/down/" + kLoginPage)), 500);
    EXPECT_EQ(statusOf(server.url("orgs/unknown/" + kLoginPage)), 404);
}

TEST(DemoServer, ServesADataFolderOfItsOwnAndRefusesAMissingOne) {
    TempHome folder;
    writeFileText(folder.path() + "/data/organisations.json",
                  R"({"organisations":[{"base":"/x/","name":"X","broken":true}]})");
    writeFileText(folder.path() + "/data/codes.json", R"({"only":{"IsSuccess":true,"Self":"{base}x/"}})");
    DemoServer server(folder.path() + "/data");
    EXPECT_EQ(statusOf(server.url("x/" + kLoginPage)), 500);
    EXPECT_EQ(statusOf(server.url("Community/" + kLoginPage)), 404);
    EXPECT_THROW(DemoServer missing(folder.path() + "/nothing-here"), std::runtime_error);
}

TEST(SettingCodeSigner, SignsAPayloadWithTheBaseFilledIn) {
    const auto token = signSettingCode(readFileText(DemoServer::defaultDataFolder() + "/payloads/acme-one.json"),
                                       "http://127.0.0.1:1234/");
    ASSERT_TRUE(token.has_value());
    const auto firstDot = token->find('.');
    const auto secondDot = token->find('.', firstDot + 1);
    ASSERT_NE(secondDot, std::string::npos);
    EXPECT_EQ(token->find_first_of("=+/\n"), std::string::npos);

    EXPECT_EQ(base64UrlDecode(token->substr(0, firstDot)), R"({"alg":"RS256","typ":"JWT"})");
    const auto payload = nlohmann::json::parse(base64UrlDecode(token->substr(firstDot + 1, secondDot - firstDot - 1)));
    const auto serverInfo = nlohmann::json::parse(payload["serverInfo"].get<std::string>());
    EXPECT_EQ(serverInfo["SL"][0][1], "http://127.0.0.1:1234/orgs/acme/");
    EXPECT_EQ(serverInfo["T"], "Acme");

    const std::string signature = base64UrlDecode(token->substr(secondDot + 1));
    EXPECT_EQ(signature.size(), 256u);
    EXPECT_TRUE(verifiesWithTestPublicKey(token->substr(0, secondDot), signature));
    EXPECT_FALSE(verifiesWithTestPublicKey(token->substr(0, secondDot) + "x", signature));

    for (const auto& [payloadText, key] : {std::pair{"not json", ""}, {"[1,2]", ""}, {"{}", "/nonexistent/key.pem"}})
        EXPECT_EQ(signSettingCode(payloadText, "", key), std::nullopt) << payloadText;
}

// The shipped public key is one base64 line between the markers, without a trailing newline.
TEST(SettingCodeSigner, ShipsA444CharacterPublicKey) {
    const std::string pem = readFileText(testPublicKeyPath());
    ASSERT_EQ(pem.size(), 444u);
    EXPECT_EQ(pem.substr(0, 27), "-----BEGIN PUBLIC KEY-----\n");
    EXPECT_EQ(pem.substr(27 + 392), "\n-----END PUBLIC KEY-----");
    EXPECT_EQ(pem.substr(27, 392).find('\n'), std::string::npos);
}

}  // namespace
