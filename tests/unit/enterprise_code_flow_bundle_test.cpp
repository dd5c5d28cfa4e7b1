// The enterprise code checks end to end: a recording entry screen, the demo organisation
// server on a loopback port, tokens signed with a key made here, and the default GLib main
// context run on the test thread as the program's main loop would run it. Each test proves
// what the screen was told (order, main thread), what was stored and what was saved (settings
// first, both before a page opens), also for answers of odd shape and a screen destroyed while
// a check runs. Runs inside the test host bundle, so alert texts are the real localised strings.
// How each member of an answer or payload is stored is proven in
// Q7ZRemoteConfigSingleton_bundle_test; a code of any case for one server and a code for three
// end to end.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "common/Json.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZEnterpriseCodeChecks.h"
#include "onboarding/Q7ZPrivateCloudService.h"
#include "platform/Bundle.h"
#include "platform/MainThread.h"
#include "platform/Paths.h"
#include "support/DemoServer.h"
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

const TestSigningKey& signingKey() {
    static const auto key = TestSigningKey::generate(2048);
    return key;
}

std::string document(const char* name) { return Paths::documentsDirectory() + "/" + name; }
bool saved(const char* name) { return std::filesystem::exists(document(name)); }

// The process's threads, as the kernel counts them.
std::ptrdiff_t threadCount() { return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}); }

// Names of the files completed in the folder watched by watch (closed after writing, or renamed
// into place as atomic writes do) since the last call, oldest first.
Names completedNames(int watch) {
    Names names;
    alignas(inotify_event) char buffer[16384];
    for (ssize_t length; (length = read(watch, buffer, sizeof buffer)) > 0;)
        for (const char* at = buffer; at < buffer + length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) names.emplace_back(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    return names;
}

// An entry screen that records, in order, which of its operations the checks called (each must
// come on the main thread), with the alert's text; a page opened before both files were saved
// is recorded as such.
struct RecordingScreen : EnterpriseCodeScreen {
    explicit RecordingScreen(std::string code) : m_typedCode(std::move(code)) {}
    void closeCoverView() override { record("closeCoverView"); }
    void showErrorAlertViewWithMessage(const std::string& text) override { record("alert " + text); }
    void showInlineError() override { record("showInlineError"); }
    void goLoginPage() override { record("goLoginPage"); }
    void goMultipleServerSelectPage() override { record("goMultipleServerSelectPage"); }
    std::string typedCode() override { return record("typedCode"), m_typedCode; }
    void record(const std::string& call) {
        EXPECT_TRUE(MainThread::isMainThread()) << call << " called off the main thread";
        const bool early = call.rfind("go", 0) == 0 && !(saved(kSettingsFile) && saved(kRemoteFile));
        calls.push_back(early ? call + " before both files were saved" : call);
    }

    Names calls;
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
        // GIO's first proxy lookup starts threads that stay for the process's life: one lookup
        // before counting leaves them out of the count that waitForChecks waits for.
        g_strfreev(g_proxy_resolver_lookup(g_proxy_resolver_get_default(), "http://127.0.0.1/", nullptr, nullptr));
        m_threads = threadCount();
        m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(m_watch, m_home.documents().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    }
    void TearDown() override {
        waitForChecks();  // no worker may outlive the test: it would touch the next test's home
        close(m_watch);
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    bool nothingSaved() const { return std::filesystem::is_empty(m_home.documents()); }

    // A new recording screen and its checks against base (the demo server unless given), which
    // trust the key made here.
    Q7ZEnterpriseCodeChecks& makeChecks(const std::string& typedCode, Text base = {}) {
        m_checks.reset();
        m_screen = std::make_unique<RecordingScreen>(typedCode);
        return m_checks.emplace(*m_screen, Q7ZEnterpriseCodeChecks::Options{base.value_or(server().baseUrl()),
                                                                            signingKey().publicKeyPem()});
    }
    // Runs the main loop until every worker thread has ended.
    void waitForChecks() {
        ASSERT_TRUE(pumpUntil([this] { return threadCount() <= m_threads; }, std::chrono::seconds(20)));
        drainPending();
    }
    // A check of a typed code, or of a setting code, run to its end.
    std::function<void()> typed(std::string code, Text base = {}) {
        return [=, this] { makeChecks(code, base).startCheckEnterpriseCode(), waitForChecks(); };
    }
    std::function<void()> setting(Text token) {
        return [=, this] { makeChecks("").startCheckActivationCode(token), waitForChecks(); };
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
        codes.update(json::parse(R"({"answer-array": [1, 2], "data-absent": {"IsSuccess": true},
            "success-one": {"IsSuccess": 1, "PrivateCloudData": {"Title": "Bad"}}, "objects-only": {"IsSuccess": true,
            "PrivateCloudData": {"ServerList": [7, {"Sequence": 0}, "x", {"Sequence": 1}]}}})"));
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
    std::ptrdiff_t m_threads = 0;
    int m_watch = -1;
    std::unique_ptr<RecordingScreen> m_screen;
    std::optional<Q7ZEnterpriseCodeChecks> m_checks;
};

// Every outcome of a check: what the screen is told, which servers are stored and chosen, and
// whether that was saved; each starts from one unsaved stored server (Acme, 3). Failures
// save nothing, an unreachable login page resets the configuration to the default list and
// saves it, an answer that is no object fails, a non-boolean IsSuccess is a rejection, entries
// that are no server are left out, and a check without usable configuration continues on the
// stored list.
TEST_F(EnterpriseCodeFlowTest, EachOutcomeIsReportedStoredAndSaved) {
    const std::string settingFailure = "alert " + localizedString("m3481");
    const Names networkAlert = {"typedCode", "closeCoverView", "alert " + localizedString("m754")}, kept = {"Acme:3"};
    const Names rejected = {settingFailure + "(2)", "closeCoverView"},
                selection = {"typedCode", "goMultipleServerSelectPage"};
    const Names typedDown = {"typedCode", "alert " + localizedFormat("m3840", "Velloq Parlor"), "closeCoverView"};
    const Names unavailable = {"closeCoverView",
                               "alert " + localizedFormat("EnterpriseCodeUnavailable", "Velloq Parlor")};
    const auto oneServer = setting(
        signingKey().token(payload({{"IU", "http://x/i.png"}, {"V", "3"}, {"SL", json::array({entry("A", "acme")})}})));
    const struct {
        std::string name;
        std::function<void()> run;
        Names calls, stored;
        std::int64_t chosen;
        bool saved;
    } rows[] = {
        {"nothing listens", typed("velloq-one", "http://127.0.0.1:1/"), networkAlert, kept, kNone, false},
        {"no service address in this build", typed("velloq-one", ""), unavailable, kept, kNone, false},
        {"answer an array", typed("answer-array"), networkAlert, kept, kNone, false},
        {"IsSuccess 1", typed("success-one"), {"typedCode", "closeCoverView", "showInlineError"}, kept, kNone, false},
        {"no setting code", setting(std::nullopt), {settingFailure + "(1)", "closeCoverView"}, kept, kNone, false},
        {"verified payload not JSON", setting(signingKey().token("not json")), rejected, kept, kNone, false},
        {"login page down", typed("velloq-down"), typedDown, {":0"}, 0, true},
        {"no PrivateCloudData", typed("data-absent"), {"typedCode", "goLoginPage"}, kept, 3, true},
        {"ServerList with non-objects", typed("objects-only"), selection, {":0", ":1"}, kNone, true},
        {"one server", oneServer, {"goLoginPage"}, {"A:0"}, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name : {kSettingsFile, kRemoteFile}) std::filesystem::remove(document(name));
        remote().setServerListJsonString(
            json::array({{{"Sequence", 3}, {"ServerName", "Acme"}, {"Url", organisationUrl("acme")}}}).dump());
        settings().setServerSequence(kNone);
        row.run();
        EXPECT_EQ(m_screen->calls, row.calls);
        EXPECT_EQ(storedServers(), row.stored);
        EXPECT_EQ(settings().serverSequence(), row.chosen);
        EXPECT_NE(nothingSaved(), row.saved);
        if (!row.saved) continue;
        const Names written = completedNames(m_watch);
        EXPECT_LT(std::ranges::find(written, kSettingsFile), std::ranges::find(written, kRemoteFile))
            << "settings are saved first";
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
        return Q7ZPrivateCloudService::getServerSettingWithCloudKey("a&T=c d", server().url("test/echo#"))
            .value_or(json());
    };
    json first = send(), second = send();
    const json t = first["form"][1]["value"];
    EXPECT_EQ(first["headers"]["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(first["form"],
              json::array({{{"name", "CloudKey"}, {"value", "a&T=c d"}}, {{"name", "T"}, {"value", t}}}));
    EXPECT_EQ(t.get<std::string>().size(), 36u);
    EXPECT_NE(t, second["form"][1]["value"]);
}

// Cancel abandons a check whose new server's login page never answers: the stores it wrote are
// put back, in memory and in the files, and the screen hears nothing more of it.
TEST_F(EnterpriseCodeFlowTest, CancelPutsTheStoresBackAndSilencesTheCheck) {
    remote().setServerListJsonString(
        json::array({{{"Sequence", 3}, {"ServerName", "Acme"}, {"Url", organisationUrl("acme")}}}).dump());
    settings().setServerSequence(3);
    ASSERT_TRUE(settings().saveConfig() && remote().saveConfig());
    const auto files = [] { return readFileText(document(kSettingsFile)) + readFileText(document(kRemoteFile)); };
    const std::string before = files();
    // The fragment swallows the login page's path, so the request waits on the slow route.
    const std::string silentUrl = server().url("test/slow?ms=20000#");
    makeChecks("").startCheckActivationCode(
        signingKey().token(payload({{"SL", json::array({{"Silent", silentUrl, 0}})}})));
    ASSERT_TRUE(pumpUntil([] { return storedServers() == Names{"Silent:0"}; }, std::chrono::seconds(10)));
    m_checks->cancel();
    m_server.reset();  // the pending request fails at once
    waitForChecks();
    EXPECT_EQ(files(), before);
    EXPECT_EQ(storedServers(), Names{"Acme:3"});
    EXPECT_EQ(settings().serverSequence(), 3);
    EXPECT_EQ(m_screen->calls, Names{});
}

// The checks go with their screen: what they report after is dropped, not delivered to freed
// memory, and work already under way is finished.
TEST_F(EnterpriseCodeFlowTest, ScreenDestroyedWhileACheckRuns) {
    const auto destroyScreenAndWait = [this] { m_checks.reset(), m_screen.reset(), waitForChecks(); };
    makeChecks("velloq-three").startCheckEnterpriseCode();
    destroyScreenAndWait();  // before the worker asks for the typed code
    EXPECT_TRUE(nothingSaved()) << "the check stops without reporting";

    makeChecks("").startCheckActivationCode(
        signingKey().token(payload({{"SL", json::array({entry("A", "acme"), entry("N", "north")})}})));
    destroyScreenAndWait();
    EXPECT_EQ(storedServers().size(), 2u);

    makeChecks("").startCheckActivationCode(std::nullopt);
    destroyScreenAndWait();  // its alert report must be dropped
}

}  // namespace
