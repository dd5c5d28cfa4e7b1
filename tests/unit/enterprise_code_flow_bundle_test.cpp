// The enterprise code checks end to end: a recording entry screen, the demo organisation
// server on a loopback port, tokens signed with the demo server's test key, and the default
// GLib main context run on the test thread as the program's main loop would run it. Each test
// proves what the screen was told (order, thread), what was stored and what was saved.
// Runs inside the test host bundle, so alert texts are the real localised strings.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Json.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZEnterpriseCodeChecks.h"
#include "onboarding/Q7ZPrivateCloudService.h"
#include "platform/Bundle.h"
#include "platform/MainThread.h"
#include "support/DemoServer.h"
#include "support/FileRenameWatch.h"
#include "support/MainLoopPump.h"
#include "support/RecordingScreen.h"
#include "support/TempHome.h"
#include "support/TestSigningKey.h"

namespace {

using nlohmann::json;
using Names = std::vector<std::string>;

constexpr std::int64_t kNone = Q7ZAppSettingConfigSingleton::kNoServerSequence;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class EnterpriseCodeFlowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        MainThread::adoptCurrentThread();
        signingKey = new TestSigningKey(TestSigningKey::fromPrivateKeyFile(testPrivateKeyPath()));
    }
    static void TearDownTestSuite() { delete signingKey; }

    void SetUp() override {
        std::filesystem::create_directories(m_home.documents());
        settings().loadUserInfo();
        remote().loadUserInfo();
    }

    void TearDown() override {
        // No worker may outlive the test: it would touch the next test's home.
        if (m_checks) {
            EXPECT_TRUE(MainLoopPump::runUntil([this] { return m_checks->runningWorkerCount() == 0; }));
        }
        MainLoopPump::drainPending();
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    std::string settingsFile() const { return m_home.documents() + "/Q7ZAppSettingConfig.plist"; }
    std::string remoteFile() const { return m_home.documents() + "/Q7ZRemoteConfig.plist"; }
    bool nothingSaved() const {
        return !std::filesystem::exists(settingsFile()) && !std::filesystem::exists(remoteFile());
    }

    Q7ZEnterpriseCodeChecks& makeChecks(const std::string& typedCode, std::optional<std::string> base = std::nullopt,
                                        std::optional<std::string> publicKeyPem = std::nullopt) {
        m_screen = std::make_shared<RecordingScreen>(typedCode);
        Q7ZEnterpriseCodeChecks::Options options;
        options.privateCloudBase = base.value_or(server().baseUrl());
        options.embeddedPublicKeyPem = publicKeyPem.value_or(readFileText(testPublicKeyPath()));
        m_checks.emplace(m_screen, options);
        return *m_checks;
    }

    // Starts the online check for typedCode and runs the main loop until every worker is done.
    void runTypedCode(const std::string& typedCode, std::optional<std::string> base = std::nullopt) {
        makeChecks(typedCode, std::move(base)).startCheckEnterpriseCode();
        waitForChecks();
    }
    void runSettingCode(std::optional<std::string> token, std::optional<std::string> publicKeyPem = std::nullopt) {
        makeChecks("", std::nullopt, std::move(publicKeyPem)).startCheckActivationCode(std::move(token));
        waitForChecks();
    }
    void waitForChecks() {
        ASSERT_TRUE(MainLoopPump::runUntil([this] { return m_checks->runningWorkerCount() == 0; }));
        MainLoopPump::drainPending();
    }

    // A token over a payload whose "serverInfo" is the given object as JSON text.
    std::string settingCode(const json& serverInfo) const {
        return signingKey->token(json{{"serverInfo", serverInfo.dump()}}.dump());
    }
    std::string organisationUrl(const std::string& name) const { return server().url("orgs/" + name + "/"); }
    json entry(const std::string& name, const std::string& organisation, int isCn = 0) const {
        return json::array({name, organisationUrl(organisation), isCn});
    }

    DemoServer& server() const {
        if (!m_server) m_server = std::make_unique<DemoServer>();
        return *m_server;
    }
    // A demo server answering the given codes (each answer any JSON value).
    void useServerWithCodes(const json& codes) {
        const std::string folder = m_home.path() + "/demo-data";
        writeFileText(folder + "/codes.json", codes.dump());
        writeFileText(folder + "/organisations.json",
                      R"({"organisations":[{"base":"/orgs/acme/","name":"Acme"},{"base":"/orgs/north/","name":"North"}]})");
        m_server = std::make_unique<DemoServer>(folder);
    }
    // One server of the demo organisation Acme in the stored list, as if chosen earlier.
    void storeAcmeList() {
        remote().setRemoteTitle("Stored");
        remote().setServerListJsonString(
            json::array({{{"Sequence", 3}, {"ServerName", "Acme"}, {"Url", organisationUrl("acme")}, {"IsCnUrl", 0}}})
                .dump());
    }

    void expectAllOnMainThread() const {
        for (const auto& call : m_screen->calls()) EXPECT_TRUE(call.onMainThread) << call.name;
    }
    std::string alertText() const {
        for (const auto& call : m_screen->calls()) {
            if (call.name == "showErrorAlertViewWithMessage") return call.argument;
        }
        return "";
    }
    static std::string settingCodeAlert(const char* suffix) { return localizedString("m3481") + suffix; }

    static TestSigningKey* signingKey;
    TempHome m_home;
    mutable std::unique_ptr<DemoServer> m_server;
    std::shared_ptr<RecordingScreen> m_screen;
    std::optional<Q7ZEnterpriseCodeChecks> m_checks;
};

TestSigningKey* EnterpriseCodeFlowTest::signingKey = nullptr;

// --- typed enterprise codes ------------------------------------------------------------------

TEST_F(EnterpriseCodeFlowTest, OneServerIsChosenCheckedAndOpened) {
    std::string settingsAtOpen;
    std::string remoteAtOpen;
    FileRenameWatch watch(m_home.documents());
    makeChecks("VELLOQ-One");  // known to the server only in lower case
    m_screen->setOnCall([&](const std::string& name) {
        if (name != "goLoginPage") return;
        settingsAtOpen = readFileText(settingsFile());
        remoteAtOpen = readFileText(remoteFile());
    });
    m_checks->startCheckEnterpriseCode();
    waitForChecks();

    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "goLoginPage"}));
    expectAllOnMainThread();
    EXPECT_EQ(remote().remoteTitle(), "Acme");
    EXPECT_EQ(remote().remoteTitleIcon(), organisationUrl("acme") + "icon.png");
    ASSERT_EQ(remote().getServerUrlDataList().size(), 1u);
    EXPECT_EQ(remote().getServerUrlDataList()[0].url, organisationUrl("acme"));
    EXPECT_EQ(settings().serverSequence(), 0);

    EXPECT_NE(settingsAtOpen.find("<key>serverSequence</key>"), std::string::npos);
    EXPECT_NE(remoteAtOpen.find("orgs/acme/"), std::string::npos) << "both files are saved before the page opens";
    const auto names = watch.completedNames();
    const auto settingsWrite = std::find(names.begin(), names.end(), "Q7ZAppSettingConfig.plist");
    const auto remoteWrite = std::find(names.begin(), names.end(), "Q7ZRemoteConfig.plist");
    ASSERT_NE(remoteWrite, names.end());
    EXPECT_LT(settingsWrite, remoteWrite) << "settings are saved before the remote configuration";
}

TEST_F(EnterpriseCodeFlowTest, SeveralServersOpenTheSelectionWithoutLoginCheck) {
    runTypedCode("velloq-three");
    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "goMultipleServerSelectPage"}));
    expectAllOnMainThread();
    EXPECT_EQ(settings().serverSequence(), kNone);
    EXPECT_EQ(remote().getServerUrlDataList().size(), 3u);
    EXPECT_EQ(remote().remoteTitle(), "Acme Group");
    EXPECT_TRUE(std::filesystem::exists(settingsFile()));
    EXPECT_TRUE(std::filesystem::exists(remoteFile()));
}

TEST_F(EnterpriseCodeFlowTest, UnreachableLoginPageResetsTheConfigurationAndReports) {
    runTypedCode("velloq-down");
    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "showErrorAlertViewWithMessage", "closeCoverView"}));
    expectAllOnMainThread();
    const std::string expected = replaceAll(localizedString("m3840"), "%@", localizedString("m753"));
    EXPECT_EQ(alertText(), expected);
    EXPECT_NE(alertText().find(localizedString("m753")), std::string::npos);
    EXPECT_EQ(alertText().find("%@"), std::string::npos);

    EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString());
    EXPECT_EQ(remote().remoteTitle(), "");
    EXPECT_EQ(settings().serverSequence(), 0) << "the settings keep the chosen sequence";
    remote().setServerListJsonString("[]");
    remote().loadUserInfo();
    EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString())
        << "the reset was saved";
}

TEST_F(EnterpriseCodeFlowTest, RejectedCodeShowsTheInlineErrorAndStoresNothing) {
    runTypedCode("no-such-code");
    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "closeCoverView", "showInlineError"}));
    expectAllOnMainThread();
    EXPECT_TRUE(nothingSaved());
    EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString());
}

TEST_F(EnterpriseCodeFlowTest, RequestsThatGetNoJsonAnswerShowTheNetworkAlert) {
    const std::vector<std::string> bases = {
        "",                                            // relative URL: no host
        "http://127.0.0.1:1/",                         // nothing listens
        server().url("test/status/200?body=hello&x="),  // an answer that is not JSON
        server().url("test/status/500?x="),             // plain text error page
    };
    for (const auto& base : bases) {
        SCOPED_TRACE(base);
        runTypedCode("velloq-one", base);
        EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "closeCoverView", "showErrorAlertViewWithMessage"}));
        EXPECT_EQ(alertText(), localizedString("m754"));
        expectAllOnMainThread();
        EXPECT_TRUE(nothingSaved());
    }
}

// --- signed setting codes --------------------------------------------------------------------

TEST_F(EnterpriseCodeFlowTest, SettingCodeWithOneServerOpensTheWebHost) {
    runSettingCode(settingCode({{"T", "Acme"}, {"IU", "http://127.0.0.1:9/i.png"}, {"V", "3"},
                                {"SL", json::array({entry("Acme", "acme")})}}));
    EXPECT_EQ(m_screen->callNames(), (Names{"goLoginPage"}));
    expectAllOnMainThread();
    EXPECT_EQ(remote().remoteTitle(), "Acme");
    EXPECT_EQ(remote().remoteTitleIcon(), "http://127.0.0.1:9/i.png");
    EXPECT_EQ(remote().version(), "3");
    EXPECT_EQ(settings().serverSequence(), 0);
}

TEST_F(EnterpriseCodeFlowTest, SettingCodeWithRepeatedServersNumbersThemAndOpensTheSelection) {
    runSettingCode(settingCode({{"SL", json::array({entry("Acme", "acme"), entry("North", "north"),
                                                    entry("Acme", "acme"), entry("South", "south", 1)})}}));
    EXPECT_EQ(m_screen->callNames(), (Names{"goMultipleServerSelectPage"}));
    const auto servers = remote().getServerUrlDataList();
    ASSERT_EQ(servers.size(), 4u);
    EXPECT_EQ(servers[0].sequence, 0);
    EXPECT_EQ(servers[1].sequence, 1);
    EXPECT_EQ(servers[2].sequence, 0);
    EXPECT_EQ(servers[3].sequence, 3);
    EXPECT_EQ(servers[3].isCnUrl, 1);
    EXPECT_EQ(settings().serverSequence(), kNone);
}

TEST_F(EnterpriseCodeFlowTest, SettingCodeWhoseServerIsDownEndsOnTheDefaultList) {
    runSettingCode(settingCode({{"T", "Stillwater"}, {"SL", json::array({entry("Down", "down")})}}));
    EXPECT_EQ(m_screen->callNames(), (Names{"showErrorAlertViewWithMessage", "closeCoverView"}));
    EXPECT_EQ(alertText(), replaceAll(localizedString("m3840"), "%@", localizedString("m753")));
    EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString());
}

TEST_F(EnterpriseCodeFlowTest, MissingOrMalformedSettingCodesReportOne) {
    for (const std::optional<std::string>& token :
         {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("a.b")}) {
        runSettingCode(token);
        EXPECT_EQ(m_screen->callNames(), (Names{"showErrorAlertViewWithMessage", "closeCoverView"}));
        EXPECT_EQ(alertText(), settingCodeAlert("(1)"));
        expectAllOnMainThread();
    }
    EXPECT_TRUE(nothingSaved());
}

TEST_F(EnterpriseCodeFlowTest, RejectedSettingCodesReportTwo) {
    const auto otherKey = TestSigningKey::generate(2048);
    const std::string serverInfo = json{{"SL", json::array({entry("Acme", "acme")})}}.dump();
    const std::string foreign = otherKey.token(json{{"serverInfo", serverInfo}}.dump());
    runSettingCode(foreign);
    EXPECT_EQ(m_screen->callNames(), (Names{"showErrorAlertViewWithMessage", "closeCoverView"}));
    EXPECT_EQ(alertText(), settingCodeAlert("(2)"));

    runSettingCode(settingCode({{"SL", json::array({entry("Acme", "acme")})}}), "not a key");
    EXPECT_EQ(alertText(), settingCodeAlert("(2)"));
    EXPECT_TRUE(nothingSaved());
}

// --- answers and payloads of unexpected shape --------------------------------------------------

TEST_F(EnterpriseCodeFlowTest, AnswerThatIsNoObjectShowsTheNetworkAlert) {
    useServerWithCodes({{"array", json::array({1, 2})}, {"text", "just text"}, {"null", nullptr}});
    for (const char* code : {"array", "text", "null"}) {
        runTypedCode(code);
        EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "closeCoverView", "showErrorAlertViewWithMessage"}))
            << code;
        EXPECT_EQ(alertText(), localizedString("m754")) << code;
    }
    EXPECT_TRUE(nothingSaved());
}

TEST_F(EnterpriseCodeFlowTest, IsSuccessOtherThanTrueIsARejection) {
    const json data = {{"Title", "Bad"}, {"ServerList", json::array()}};
    useServerWithCodes({{"null", {{"IsSuccess", nullptr}, {"PrivateCloudData", data}}},
                        {"text", {{"IsSuccess", "true"}, {"PrivateCloudData", data}}},
                        {"one", {{"IsSuccess", 1}, {"PrivateCloudData", data}}}});
    for (const char* code : {"null", "text", "one"}) {
        runTypedCode(code);
        EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "closeCoverView", "showInlineError"})) << code;
    }
    EXPECT_TRUE(nothingSaved());
    EXPECT_EQ(remote().remoteTitle(), "");
}

TEST_F(EnterpriseCodeFlowTest, SuccessWithoutUsableConfigurationKeepsTheStoredList) {
    useServerWithCodes({{"absent", {{"IsSuccess", true}}},
                        {"text", {{"IsSuccess", true}, {"PrivateCloudData", "x"}}},
                        {"null", {{"IsSuccess", true}, {"PrivateCloudData", nullptr}}}});
    for (const char* code : {"absent", "text", "null"}) {
        storeAcmeList();
        runTypedCode(code);
        EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "goLoginPage"})) << code;
        EXPECT_EQ(remote().remoteTitle(), "Stored") << code;
        EXPECT_EQ(settings().serverSequence(), 3) << code;
    }
}

TEST_F(EnterpriseCodeFlowTest, UnusableMembersOfTheAnswerAreSkipped) {
    useServerWithCodes(
        {{"list-object", {{"IsSuccess", true}, {"PrivateCloudData", {{"Title", "New"}, {"ServerList", {{"a", 1}}}}}}},
         {"title-number",
          {{"IsSuccess", true},
           {"PrivateCloudData",
            {{"Title", 5}, {"ServerList", json::array({7, {{"Sequence", 0}, {"Url", "http://127.0.0.1:9/"}}, "x",
                                                       {{"Sequence", 1}, {"Url", "http://127.0.0.1:9/"}}})}}}}}});
    storeAcmeList();
    runTypedCode("list-object");
    EXPECT_EQ(remote().remoteTitle(), "New");
    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "goLoginPage"})) << "the stored list still chooses Acme";

    runTypedCode("title-number");
    EXPECT_EQ(remote().remoteTitle(), "New");
    EXPECT_EQ(remote().getServerUrlDataList().size(), 2u);
    EXPECT_EQ(json::parse(remote().serverListJsonString()).size(), 2u) << "non-objects are not stored";
    EXPECT_EQ(m_screen->callNames(), (Names{"typedCode", "goMultipleServerSelectPage"}));
}

TEST_F(EnterpriseCodeFlowTest, VerifiedSettingCodeWithoutPayloadObjectReportsTwo) {
    for (const char* payload : {"not json", "[1,2]"}) {
        runSettingCode(signingKey->token(payload));
        EXPECT_EQ(m_screen->callNames(), (Names{"showErrorAlertViewWithMessage", "closeCoverView"})) << payload;
        EXPECT_EQ(alertText(), settingCodeAlert("(2)"));
    }
    EXPECT_TRUE(nothingSaved());
}

TEST_F(EnterpriseCodeFlowTest, PayloadWithoutUsableServerInformationContinuesOnTheStoredList) {
    const std::vector<std::string> payloads = {R"({"other":1})", R"({"serverInfo":"not json"})",
                                               R"({"serverInfo":"[1]"})", R"({"serverInfo":{"T":"object"}})",
                                               R"({"serverInfo":5})"};
    for (const auto& payload : payloads) {
        storeAcmeList();
        runSettingCode(signingKey->token(payload));
        EXPECT_EQ(m_screen->callNames(), (Names{"goLoginPage"})) << payload;
        EXPECT_EQ(remote().remoteTitle(), "Stored") << payload;
        EXPECT_EQ(settings().serverSequence(), 3) << payload;
    }
}

TEST_F(EnterpriseCodeFlowTest, UnusableServerInformationMembersAreSkipped) {
    storeAcmeList();
    runSettingCode(settingCode({{"T", 42}, {"V", "9"}, {"SL", json::array({entry("North", "north")})}}));
    EXPECT_EQ(remote().remoteTitle(), "Stored") << "a title that is a number is not applied";
    EXPECT_EQ(remote().version(), "9");
    EXPECT_EQ(remote().getServerUrlDataList().at(0).serverName, "North");
    EXPECT_EQ(m_screen->callNames(), (Names{"goLoginPage"}));

    storeAcmeList();
    runSettingCode(settingCode({{"T", "Titled"}, {"SL", "not entries"}}));
    EXPECT_EQ(remote().remoteTitle(), "Titled");
    EXPECT_EQ(remote().getServerUrlDataList().at(0).serverName, "Acme");

    runSettingCode(settingCode({{"SL", json::array({json::array({"short", "http://x/"}), 5, entry("North", "north"),
                                                    json::array({1, 2, 3}), entry("Acme", "acme")})}}));
    const auto servers = remote().getServerUrlDataList();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].serverName, "North");
    EXPECT_EQ(servers[1].sequence, 1);
    EXPECT_EQ(m_screen->callNames(), (Names{"goMultipleServerSelectPage"}));
}

// --- the request and the worker's lifetime -------------------------------------------------

TEST_F(EnterpriseCodeFlowTest, RequestCarriesEncodedCodeAndFreshT) {
    // The fragment swallows the appended path, so the echo route sees the request as sent.
    const std::string base = server().url("test/echo#");
    const auto first = Q7ZPrivateCloudService::getServerSettingWithCloudKey("a&b=c d", base);
    const auto second = Q7ZPrivateCloudService::getServerSettingWithCloudKey("a&b=c d", base);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*first)["method"], "POST");
    EXPECT_EQ((*first)["headers"]["content-type"], "application/x-www-form-urlencoded");
    const json& form = (*first)["form"];
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(form[0]["name"], "CloudKey");
    EXPECT_EQ(form[0]["value"], "a&b=c d");
    EXPECT_EQ(form[1]["name"], "T");
    const std::string t = form[1]["value"];
    EXPECT_EQ(t.size(), 36u);
    EXPECT_EQ(t.find_first_of("abcdef"), std::string::npos) << "upper-case UUID";
    EXPECT_NE(t, (*second)["form"][1]["value"].get<std::string>());
}

TEST_F(EnterpriseCodeFlowTest, CheckWhoseScreenIsGoneStopsWithoutReporting) {
    std::weak_ptr<RecordingScreen> gone;
    makeChecks("velloq-three").startCheckEnterpriseCode();
    gone = m_screen;
    m_screen.reset();  // the screen is replaced before the worker asks for the typed code
    EXPECT_TRUE(gone.expired());
    waitForChecks();
    EXPECT_TRUE(nothingSaved());

    makeChecks("").startCheckActivationCode(settingCode({{"SL", json::array({entry("A", "acme"), entry("N", "north")})}}));
    m_screen.reset();
    waitForChecks();
    EXPECT_EQ(remote().getServerUrlDataList().size(), 2u) << "work already under way is finished";
}

TEST_F(EnterpriseCodeFlowTest, ScreenOwnedByUniquePtrIsReachedThroughALivenessToken) {
    auto owned = std::make_unique<RecordingScreen>("velloq-three");
    auto token = std::make_shared<bool>(true);
    Q7ZEnterpriseCodeChecks::Options options;
    options.privateCloudBase = server().baseUrl();
    m_checks.emplace(std::shared_ptr<EnterpriseCodeScreen>(token, owned.get()), options);
    m_checks->startCheckEnterpriseCode();
    waitForChecks();
    EXPECT_EQ(owned->callNames(), (Names{"typedCode", "goMultipleServerSelectPage"}));

    m_checks->startCheckActivationCode(std::nullopt);
    token.reset();
    owned.reset();  // its alert report must now be dropped, not delivered to freed memory
    waitForChecks();
}

}  // namespace
