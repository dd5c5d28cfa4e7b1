// The enterprise code checks end to end: a recording entry screen, the demo organisation
// server on a loopback port, tokens signed with a key made here, and the default GLib main
// context run on the test thread as the program's main loop would run it. Each test proves
// what the screen was told (order, thread), what was stored and what was saved.
// Runs inside the test host bundle, so alert texts are the real localised strings.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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
using Text = std::optional<std::string>;

constexpr std::int64_t kNone = Q7ZAppSettingConfigSingleton::kNoServerSequence;
const Names kNetworkAlert = {"typedCode", "closeCoverView", "showErrorAlertViewWithMessage"};
const Names kInline = {"typedCode", "closeCoverView", "showInlineError"};
const Names kSettingAlert = {"showErrorAlertViewWithMessage", "closeCoverView"};

const TestSigningKey& signingKey() {
    static const auto key = TestSigningKey::generate(2048);
    return key;
}

// A payload whose "serverInfo" is the given object as JSON text.
std::string payload(const json& serverInfo) { return json{{"serverInfo", serverInfo.dump()}}.dump(); }

class EnterpriseCodeFlowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MainThread::adoptCurrentThread(); }
    void SetUp() override {
        std::filesystem::create_directories(m_home.documents());
        settings().loadUserInfo();
        remote().loadUserInfo();
    }
    void TearDown() override {
        if (m_checks) waitForChecks();  // no worker may outlive the test: it would touch the next test's home
        drainPending();
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    std::string settingsFile() const { return m_home.documents() + "/Q7ZAppSettingConfig.plist"; }
    std::string remoteFile() const { return m_home.documents() + "/Q7ZRemoteConfig.plist"; }
    bool nothingSaved() const {
        return !std::filesystem::exists(settingsFile()) && !std::filesystem::exists(remoteFile());
    }

    Q7ZEnterpriseCodeChecks& makeChecks(const std::string& typedCode, Text base = {}, Text publicKeyPem = {}) {
        m_screen = std::make_shared<RecordingScreen>(typedCode);
        Q7ZEnterpriseCodeChecks::Options options;
        options.privateCloudBase = base.value_or(server().baseUrl());
        options.embeddedPublicKeyPem = publicKeyPem.value_or(signingKey().publicKeyPem());
        return m_checks.emplace(m_screen, options);
    }
    // Start a check and run the main loop until every worker is done.
    void runTypedCode(const std::string& typedCode, Text base = {}) {
        makeChecks(typedCode, std::move(base)).startCheckEnterpriseCode();
        waitForChecks();
    }
    void runSettingCode(Text token, Text publicKeyPem = {}) {
        makeChecks("", {}, std::move(publicKeyPem)).startCheckActivationCode(std::move(token));
        waitForChecks();
    }
    void waitForChecks() {
        ASSERT_TRUE(pumpUntil([this] { return m_checks->runningWorkerCount() == 0; }, std::chrono::seconds(20)));
        drainPending();
    }
    std::function<void()> typed(std::string code, Text base = {}) {
        return [this, code, base] { runTypedCode(code, base); };
    }
    std::function<void()> setting(Text token, Text pem = {}) {
        return [this, token, pem] { runSettingCode(token, pem); };
    }

    std::string organisationUrl(const std::string& name) const { return server().url("orgs/" + name + "/"); }
    json entry(const std::string& name, const std::string& organisation, int isCn = 0) const {
        return json::array({name, organisationUrl(organisation), isCn});
    }
    DemoServer& server() const {
        if (!m_server) m_server = std::make_unique<DemoServer>();
        return *m_server;
    }
    // "Name:Sequence" of each stored server, in order.
    static Names storedServers() {
        Names servers;
        for (const auto& server : json::parse(remote().serverListJsonString())) {
            servers.push_back(server.value("ServerName", "") + ":" + std::to_string(server.value("Sequence", -1)));
        }
        return servers;
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

    TempHome m_home;
    mutable std::unique_ptr<DemoServer> m_server;
    std::shared_ptr<RecordingScreen> m_screen;
    std::optional<Q7ZEnterpriseCodeChecks> m_checks;
};

TEST_F(EnterpriseCodeFlowTest, OneServerIsLowerCasedCheckedSavedInOrderAndOpened) {
    std::string settingsAtOpen, remoteAtOpen;
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
    EXPECT_EQ(storedServers(), Names{"Acme:0"});
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
    EXPECT_EQ(storedServers().size(), 3u);
    EXPECT_EQ(remote().remoteTitle(), "Acme Group");
    EXPECT_TRUE(std::filesystem::exists(settingsFile()) && std::filesystem::exists(remoteFile()));
}

// Every failure: what the screen is told, and that nothing is saved; an unreachable login page
// instead resets the configuration to the default list and saves it.
TEST_F(EnterpriseCodeFlowTest, EachFailureIsReported) {
    struct Failure {
        std::string name;
        std::function<void()> run;
        Names calls;
        std::string alert;
        bool loginPageDown = false;
    };
    const std::string m754 = localizedString("m754"), one = localizedString("m3481") + "(1)",
                      two = localizedString("m3481") + "(2)";
    std::string down = localizedString("m3840");
    ASSERT_NE(down.find("%@"), std::string::npos);
    down.replace(down.find("%@"), 2, localizedString("m753"));
    const std::string oneServer = payload({{"SL", json::array({entry("Acme", "acme")})}});
    const Failure failures[] = {
        {"relative URL: no host", typed("velloq-one", ""), kNetworkAlert, m754},
        {"nothing listens", typed("velloq-one", "http://127.0.0.1:1/"), kNetworkAlert, m754},
        {"answer not JSON", typed("velloq-one", server().url("test/status/200?body=hello&x=")), kNetworkAlert, m754},
        {"plain text error page", typed("velloq-one", server().url("test/status/500?x=")), kNetworkAlert, m754},
        {"rejected code", typed("no-such-code"), kInline, ""},
        {"no setting code", setting(std::nullopt), kSettingAlert, one},
        {"empty setting code", setting(""), kSettingAlert, one},
        {"two parts", setting("a.b"), kSettingAlert, one},
        {"signed with another key", setting(TestSigningKey::generate(2048).token(oneServer)), kSettingAlert, two},
        {"unusable embedded key", setting(signingKey().token(oneServer), "not a key"), kSettingAlert, two},
        {"verified payload not JSON", setting(signingKey().token("not json")), kSettingAlert, two},
        {"verified payload an array", setting(signingKey().token("[1,2]")), kSettingAlert, two},
        {"login page down", typed("velloq-down"), {"typedCode", "showErrorAlertViewWithMessage", "closeCoverView"},
         down, true},
        {"setting code, login page down",
         setting(signingKey().token(payload({{"T", "S"}, {"SL", json::array({entry("D", "down")})}}))),
         kSettingAlert, down, true},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        failure.run();
        EXPECT_EQ(m_screen->callNames(), failure.calls);
        EXPECT_EQ(alertText(), failure.alert);
        expectAllOnMainThread();
        if (!failure.loginPageDown) {
            EXPECT_TRUE(nothingSaved());
            continue;
        }
        EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString());
        EXPECT_EQ(remote().remoteTitle(), "");
        EXPECT_EQ(settings().serverSequence(), 0) << "the settings keep the chosen sequence";
        remote().setServerListJsonString("[]");
        remote().loadUserInfo();
        EXPECT_EQ(remote().serverListJsonString(), Q7ZRemoteConfigSingleton::defaultServerListJsonString())
            << "the reset was saved";
    }
}

// Answers and payloads of unexpected shape, each starting from one stored server (Acme, 3):
// members of the wrong type are skipped, never stored, and a check without usable
// configuration continues on the stored list.
TEST_F(EnterpriseCodeFlowTest, AnswersAndPayloadsOfOddShape) {
    const json data = {{"Title", "Bad"}, {"ServerList", json::array()}};
    const json objectsAmongOthers = json::array({7, {{"Sequence", 0}, {"Url", "http://x/"}}, "x", {{"Sequence", 1}}});
    const json codes = {
        {"answer-array", json::array({1, 2})},
        {"answer-text", "just text"},
        {"success-null", {{"IsSuccess", nullptr}, {"PrivateCloudData", data}}},
        {"success-one", {{"IsSuccess", 1}, {"PrivateCloudData", data}}},
        {"data-absent", {{"IsSuccess", true}}},
        {"data-text", {{"IsSuccess", true}, {"PrivateCloudData", "x"}}},
        {"list-object", {{"IsSuccess", true}, {"PrivateCloudData", {{"Title", "New"}, {"ServerList", {{"a", 1}}}}}}},
        {"title-number", {{"IsSuccess", true}, {"PrivateCloudData", {{"Title", 5}, {"ServerList", objectsAmongOthers}}}}}};
    const std::string folder = m_home.path() + "/demo-data";
    writeFileText(folder + "/codes.json", codes.dump());
    writeFileText(folder + "/organisations.json",
                  R"({"organisations":[{"base":"/orgs/acme/","name":"Acme"},{"base":"/orgs/north/","name":"North"}]})");
    m_server = std::make_unique<DemoServer>(folder);

    struct Row {
        std::string name;
        std::function<void()> run;
        Names calls;
        std::string title;
        Names stored;
        std::int64_t chosen;
    };
    const Names login = {"goLoginPage"}, selection = {"goMultipleServerSelectPage"};
    const Names typedLogin = {"typedCode", "goLoginPage"}, kept = {"Acme:3"};
    const auto signedText = [this](const std::string& text) { return setting(signingKey().token(text)); };
    const auto signedInfo = [&](const json& serverInfo) { return signedText(payload(serverInfo)); };
    const Row rows[] = {
        {"answer an array", typed("answer-array"), kNetworkAlert, "Stored", kept, kNone},
        {"answer a string", typed("answer-text"), kNetworkAlert, "Stored", kept, kNone},
        {"IsSuccess null", typed("success-null"), kInline, "Stored", kept, kNone},
        {"IsSuccess 1", typed("success-one"), kInline, "Stored", kept, kNone},
        {"no PrivateCloudData", typed("data-absent"), typedLogin, "Stored", kept, 3},
        {"PrivateCloudData not an object", typed("data-text"), typedLogin, "Stored", kept, 3},
        {"ServerList not an array", typed("list-object"), typedLogin, "New", kept, 3},
        {"Title a number, ServerList with non-objects", typed("title-number"),
         {"typedCode", "goMultipleServerSelectPage"}, "Stored", {":0", ":1"}, kNone},
        {"no serverInfo", signedText(R"({"other":1})"), login, "Stored", kept, 3},
        {"serverInfo not JSON", signedText(R"({"serverInfo":"not json"})"), login, "Stored", kept, 3},
        {"serverInfo not an object", signedText(R"({"serverInfo":"[1]"})"), login, "Stored", kept, 3},
        {"serverInfo not a string", signedText(R"({"serverInfo":{"T":"x"}})"), login, "Stored", kept, 3},
        {"T a number", signedInfo({{"T", 42}, {"SL", json::array({entry("North", "north")})}}), login, "Stored",
         {"North:0"}, 0},
        {"SL not an array", signedInfo({{"T", "Titled"}, {"SL", "not entries"}}), login, "Titled", kept, 3},
        {"bad SL entries",
         signedInfo({{"SL", json::array({json::array({"short", "http://x/"}), 5, entry("North", "north"),
                                         json::array({1, 2, 3}), entry("Acme", "acme")})}}),
         selection, "Stored", {"North:2", ":3", "Acme:4"}, kNone},
        {"repeated SL entries numbered by first equal position",
         signedInfo({{"SL", json::array({entry("A", "acme"), entry("N", "north"), entry("A", "acme"),
                                         entry("S", "south", 1)})}}),
         selection, "Stored", {"A:0", "N:1", "A:0", "S:3"}, kNone},
        // One server: its login page is checked and the web host opened; icon and version checked below.
        {"one server", signedInfo({{"T", "Acme"}, {"IU", "http://x/i.png"}, {"V", "3"},
                                   {"SL", json::array({entry("A", "acme")})}}),
         login, "Acme", {"A:0"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        remote().setRemoteTitle("Stored");
        remote().setServerListJsonString(
            json::array({{{"Sequence", 3}, {"ServerName", "Acme"}, {"Url", organisationUrl("acme")}}}).dump());
        settings().setServerSequence(kNone);
        row.run();
        EXPECT_EQ(m_screen->callNames(), row.calls);
        EXPECT_EQ(alertText(), row.calls == kNetworkAlert ? localizedString("m754") : "");
        EXPECT_EQ(remote().remoteTitle(), row.title);
        EXPECT_EQ(storedServers(), row.stored);
        EXPECT_EQ(settings().serverSequence(), row.chosen);
        expectAllOnMainThread();
    }
    EXPECT_EQ(remote().remoteTitleIcon(), "http://x/i.png");
    EXPECT_EQ(remote().version(), "3");
}

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
    EXPECT_EQ(form[0], json({{"name", "CloudKey"}, {"value", "a&b=c d"}}));
    EXPECT_EQ(form[1]["name"], "T");
    const std::string t = form[1]["value"];
    EXPECT_EQ(t.size(), 36u);
    EXPECT_EQ(t.find_first_of("abcdef"), std::string::npos) << "upper-case UUID";
    EXPECT_NE(t, (*second)["form"][1]["value"].get<std::string>());
}

TEST_F(EnterpriseCodeFlowTest, ScreenDestroyedWhileACheckRuns) {
    makeChecks("velloq-three").startCheckEnterpriseCode();
    std::weak_ptr<RecordingScreen> gone = m_screen;
    m_screen.reset();  // the screen is replaced before the worker asks for the typed code
    EXPECT_TRUE(gone.expired());
    waitForChecks();
    EXPECT_TRUE(nothingSaved()) << "the check stops without reporting";

    makeChecks("").startCheckActivationCode(
        signingKey().token(payload({{"SL", json::array({entry("A", "acme"), entry("N", "north")})}})));
    m_screen.reset();
    waitForChecks();
    EXPECT_EQ(storedServers().size(), 2u) << "work already under way is finished";

    // A screen held by unique_ptr hands the checks a liveness token instead of shared ownership.
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
