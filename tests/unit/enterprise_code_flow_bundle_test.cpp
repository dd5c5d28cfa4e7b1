// The enterprise code checks end to end: a recording entry screen, the demo organisation
// server on a loopback port, tokens signed with a key made here, and the default GLib main
// context run on the test thread as the program's main loop would run it. Each test proves
// what the screen was told (order, main thread), what was stored and what was saved (settings
// first, both before a page opens), also for answers of odd shape and a screen destroyed while
// a check runs. Runs inside the test host bundle, so alert texts are the real localised strings.
// How each member of an answer or payload is stored is proven in server_setting_check_test; a
// code of any case for one server and a code for three end to end.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
#include "support/TempHome.h"
#include "support/TestSigningKey.h"

namespace {

using nlohmann::json;
using Names = std::vector<std::string>;
using Text = std::optional<std::string>;

constexpr std::int64_t kNone = Q7ZAppSettingConfigSingleton::kNoServerSequence;
constexpr const char* kSettingsFile = "Q7ZAppSettingConfig.plist";
constexpr const char* kRemoteFile = "Q7ZRemoteConfig.plist";
const Names kNetworkAlert = {"typedCode", "closeCoverView", "showErrorAlertViewWithMessage"};
const Names kInline = {"typedCode", "closeCoverView", "showInlineError"};
const Names kSettingAlert = {"showErrorAlertViewWithMessage", "closeCoverView"};

const TestSigningKey& signingKey() {
    static const auto key = TestSigningKey::generate(2048);
    return key;
}

// An entry screen that records, in order, which of its operations the checks called (each must
// come on the main thread) and the alert's text; onCall runs inside each call.
class RecordingScreen : public EnterpriseCodeScreen {
public:
    explicit RecordingScreen(std::string typedCode) : m_typedCode(std::move(typedCode)) {}
    void closeCoverView() override { record("closeCoverView"); }
    void showErrorAlertViewWithMessage(const std::string& text) override {
        alertText = text;
        record("showErrorAlertViewWithMessage");
    }
    void showInlineError() override { record("showInlineError"); }
    void goLoginPage() override { record("goLoginPage"); }
    void goMultipleServerSelectPage() override { record("goMultipleServerSelectPage"); }
    std::string typedCode() override {
        record("typedCode");
        return m_typedCode;
    }

    Names calls;
    std::string alertText;
    std::function<void(const std::string& name)> onCall;

private:
    void record(const std::string& name) {
        EXPECT_TRUE(MainThread::isMainThread()) << name << " called off the main thread";
        calls.push_back(name);
        if (onCall) onCall(name);
    }

    std::string m_typedCode;
};

// A payload whose "serverInfo" is the given object as JSON text.
std::string payload(const json& serverInfo) { return json{{"serverInfo", serverInfo.dump()}}.dump(); }

class EnterpriseCodeFlowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MainThread::adoptCurrentThread(); }
    void SetUp() override {
        std::filesystem::create_directories(m_home.documents());
        settings().loadUserInfo();
        remote().loadUserInfo();
        m_threads = threadCount();
    }
    void TearDown() override {
        waitForChecks();  // no worker may outlive the test: it would touch the next test's home
    }

    // The process's threads, as the kernel counts them.
    static std::size_t threadCount() {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("Threads:", 0) == 0) return std::stoul(line.substr(8));
        return 0;
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    bool saved(const char* name) const { return std::filesystem::exists(m_home.documents() + "/" + name); }
    bool nothingSaved() const { return std::filesystem::is_empty(m_home.documents()); }

    // A screen that notes whether both files were on disk when it was sent to a page.
    RecordingScreen& screen(const std::string& typedCode) {
        m_checks.reset();
        m_screen = std::make_unique<RecordingScreen>(typedCode);
        m_screen->onCall = [this](const std::string& name) {
            if (name.rfind("go", 0) == 0) m_savedAtPage = saved(kSettingsFile) && saved(kRemoteFile);
        };
        return *m_screen;
    }
    // Checks against base (the demo server unless given) that trust the key made here.
    Q7ZEnterpriseCodeChecks& makeChecks(EnterpriseCodeScreen& screen, Text base = {}) {
        return m_checks.emplace(screen, Q7ZEnterpriseCodeChecks::Options{base.value_or(server().baseUrl()),
                                                                         signingKey().publicKeyPem()});
    }
    // Runs the main loop until every worker thread has ended.
    void waitForChecks() {
        ASSERT_TRUE(pumpUntil([this] { return threadCount() <= m_threads; }, std::chrono::seconds(20)));
        drainPending();
    }
    // A check of a typed code, or of a setting code, run to its end.
    std::function<void()> typed(std::string code, Text base = {}) {
        return [=, this] { makeChecks(screen(code), base).startCheckEnterpriseCode(), waitForChecks(); };
    }
    std::function<void()> setting(Text token) {
        return [=, this] { makeChecks(screen("")).startCheckActivationCode(token), waitForChecks(); };
    }

    std::string organisationUrl(const std::string& name) const { return server().url("orgs/" + name + "/"); }
    json entry(const std::string& name, const std::string& organisation) const {
        return json::array({name, organisationUrl(organisation), 0});
    }
    // The demo organisations, with codes whose answers have an odd shape beside the usual ones.
    DemoServer& server() const {
        if (m_server) return *m_server;
        const std::string folder = m_home.path() + "/demo-data", shipped = DemoServer::defaultDataFolder();
        json codes = json::parse(readFileText(shipped + "/codes.json"));
        codes["answer-array"] = json::array({1, 2});
        codes["success-one"] = {{"IsSuccess", 1}, {"PrivateCloudData", {{"Title", "Bad"}}}};
        codes["data-absent"] = {{"IsSuccess", true}};
        codes["objects-only"] = {{"IsSuccess", true},
                                 {"PrivateCloudData", {{"ServerList", {7, {{"Sequence", 0}}, "x", {{"Sequence", 1}}}}}}};
        writeFileText(folder + "/codes.json", codes.dump());
        writeFileText(folder + "/organisations.json", readFileText(shipped + "/organisations.json"));
        m_server = std::make_unique<DemoServer>(folder);
        return *m_server;
    }
    // "Name:Sequence" of each stored server, in order.
    static Names storedServers() {
        Names servers;
        for (const auto& server : json::parse(remote().serverListJsonString()))
            servers.push_back(server.value("ServerName", "") + ":" + std::to_string(server.value("Sequence", -1)));
        return servers;
    }

    TempHome m_home;
    mutable std::unique_ptr<DemoServer> m_server;
    std::size_t m_threads = 0;
    std::unique_ptr<RecordingScreen> m_screen;
    std::optional<Q7ZEnterpriseCodeChecks> m_checks;
    bool m_savedAtPage = false;
};

// Every outcome of a check: what the screen is told, which servers are stored and chosen, and
// whether that was saved; each starts from one unsaved stored server (Acme, 3). Failures
// save nothing, an unreachable login page resets the configuration to the default list and
// saves it, an answer that is no object fails, a non-boolean IsSuccess is a rejection, entries
// that are no server are left out, and a check without usable configuration continues on the
// stored list.
TEST_F(EnterpriseCodeFlowTest, EachOutcomeIsReportedStoredAndSaved) {
    const std::string m754 = localizedString("m754"), one = localizedString("m3481") + "(1)",
                      two = localizedString("m3481") + "(2)";
    std::string down = localizedString("m3840");
    ASSERT_NE(down.find("%@"), std::string::npos);
    down.replace(down.find("%@"), 2, localizedString("m753"));
    const Names login = {"goLoginPage"}, kept = {"Acme:3"},
                typedLogin = {"typedCode", "goLoginPage"}, typedSelection = {"typedCode", "goMultipleServerSelectPage"},
                typedDown = {"typedCode", "showErrorAlertViewWithMessage", "closeCoverView"}, defaults = {":0"};
    const auto signedInfo = [this](const json& serverInfo) { return setting(signingKey().token(payload(serverInfo))); };
    const struct {
        std::string name;
        std::function<void()> run;
        Names calls;
        std::string alert;
        Names stored;
        std::int64_t chosen;
        bool saved;
    } rows[] = {
        {"nothing listens", typed("velloq-one", "http://127.0.0.1:1/"), kNetworkAlert, m754, kept, kNone, false},
        {"answer an array", typed("answer-array"), kNetworkAlert, m754, kept, kNone, false},
        {"IsSuccess 1", typed("success-one"), kInline, "", kept, kNone, false},
        {"no setting code", setting(std::nullopt), kSettingAlert, one, kept, kNone, false},
        {"verified payload not JSON", setting(signingKey().token("not json")), kSettingAlert, two, kept, kNone, false},
        {"login page down", typed("velloq-down"), typedDown, down, defaults, 0, true},
        {"no PrivateCloudData", typed("data-absent"), typedLogin, "", kept, 3, true},
        {"ServerList with non-objects", typed("objects-only"), typedSelection, "", {":0", ":1"}, kNone, true},
        {"one server", signedInfo({{"IU", "http://x/i.png"}, {"V", "3"}, {"SL", json::array({entry("A", "acme")})}}),
         login, "", {"A:0"}, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(m_home.documents());
        std::filesystem::create_directories(m_home.documents());
        remote().setServerListJsonString(
            json::array({{{"Sequence", 3}, {"ServerName", "Acme"}, {"Url", organisationUrl("acme")}}}).dump());
        settings().setServerSequence(kNone);
        FileRenameWatch watch(m_home.documents());
        m_savedAtPage = false;
        row.run();
        EXPECT_EQ(m_screen->calls, row.calls);
        EXPECT_EQ(m_savedAtPage, row.calls.back().rfind("go", 0) == 0) << "both files are saved before a page opens";
        EXPECT_EQ(m_screen->alertText, row.alert);
        EXPECT_EQ(storedServers(), row.stored);
        EXPECT_EQ(settings().serverSequence(), row.chosen);
        EXPECT_NE(nothingSaved(), row.saved);
        if (!row.saved) continue;
        const Names written = watch.completedNames();
        EXPECT_LT(std::find(written.begin(), written.end(), kSettingsFile),
                  std::find(written.begin(), written.end(), kRemoteFile)) << "settings are saved first";
        remote().loadUserInfo(), settings().loadUserInfo();
        EXPECT_EQ(storedServers(), row.stored) << "as saved";
        EXPECT_EQ(settings().serverSequence(), row.chosen) << "as saved";
    }
    EXPECT_EQ(remote().remoteTitleIcon(), "http://x/i.png");
    EXPECT_EQ(remote().version(), "3");
}

TEST_F(EnterpriseCodeFlowTest, RequestCarriesEncodedCodeAndFreshT) {
    // The fragment swallows the appended path, so the echo route sees the request as sent.
    const auto send = [this] {
        return Q7ZPrivateCloudService::getServerSettingWithCloudKey("a&T=c d", server().url("test/echo#")).value_or(json());
    };
    json first = send(), second = send();
    const json t = first["form"][1]["value"];
    EXPECT_EQ(first["headers"]["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(first["form"], json::array({{{"name", "CloudKey"}, {"value", "a&T=c d"}}, {{"name", "T"}, {"value", t}}}));
    EXPECT_EQ(t.get<std::string>().size(), 36u);
    EXPECT_NE(t, second["form"][1]["value"]);
}

// The checks go with their screen: what they report after is dropped, not delivered to freed
// memory, and work already under way is finished.
TEST_F(EnterpriseCodeFlowTest, ScreenDestroyedWhileACheckRuns) {
    const auto destroyScreen = [this] {
        m_checks.reset();
        m_screen.reset();
    };
    makeChecks(screen("velloq-three")).startCheckEnterpriseCode();
    destroyScreen();  // before the worker asks for the typed code
    waitForChecks();
    EXPECT_TRUE(nothingSaved()) << "the check stops without reporting";

    makeChecks(screen("")).startCheckActivationCode(
        signingKey().token(payload({{"SL", json::array({entry("A", "acme"), entry("N", "north")})}})));
    destroyScreen();
    waitForChecks();
    EXPECT_EQ(storedServers().size(), 2u);

    makeChecks(screen("")).startCheckActivationCode(std::nullopt);
    destroyScreen();  // its alert report must be dropped
    waitForChecks();
}

}  // namespace
