// The page scripting bridge in a real web view, driven by page script: every operation through
// each of the three names reaches the handler with its arguments, callbacks run before the call
// returns, a confirmation holds the script until the handler has answered; the names exist in
// a subframe and in a popup's related view, nothing else is reachable; malformed marker calls
// are refused and plain prompts are left to the page dialog handling.

#include <charconv>
#include <string>

#include <gtest/gtest.h>

#include "support/MainLoopPump.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WebViewScripts.h"
#include "web/Q7ZPageBridge.h"

namespace {

class RecordingHandler : public Q7ZPageBridgeHandler {
public:
    std::string log;  // "; "-separated

    EnterpriseInfo getEnterpriseInfo() override { return add("getEnterpriseInfo"), EnterpriseInfo{"Acme 'Chat' \"中文\"", "http://x/i.png"}; }
    std::string getOSVersion() override { return add("getOSVersion"), "512(Debian GNU/Linux 12)"; }
    bool checkIsZoomInstalled() override { return add("checkIsZoomInstalled"), true; }
    void noticeEvent() override { add("noticeEvent"); }
    void showNotice(const std::string& text) override { add("showNotice " + text); }
    void showIMNotice(const std::string& text) override { add("showIMNotice " + text); }
    void showInviteNotice(const std::string& text) override { add("showInviteNotice " + text); }
    void openSettingWindow() override { add("openSettingWindow"); }
    void navigateToLogoutPage() override { confirm("navigateToLogoutPage"); }
    void exitApplication() override { confirm("exitApplication"); }
    void changeBadge(std::optional<double> value) override {
        char number[32] = "none";
        if (value) *std::to_chars(number, number + 31, *value).ptr = '\0';
        add(std::string("changeBadge ") + number);
    }

private:
    void add(const std::string& entry) { log += (log.empty() ? "" : "; ") + entry; }
    // As a modal alert does: the main loop runs on while the user decides.
    void confirm(const std::string& operation) {
        add("ask " + operation);
        pumpFor(std::chrono::milliseconds(100));
        add("answered");
    }
};

class PageBridgeTest : public testing::Test {
protected:
    void SetUp() override {
        GtkTestEnvironment::ensure();
        m_view = WebViewScripts::newView();
        m_bridge.attach(m_view.get());
        // The page dialog handling, connected after the bridge as the web host does.
        g_signal_connect(m_view.get(), "script-dialog", G_CALLBACK(on_view_script_dialog), &m_pageDialogs);
        load(m_view.get());
    }

    static gboolean on_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, int* seen) {
        webkit_script_dialog_prompt_set_text(dialog, "page dialog");
        return ++*seen > 0;
    }
    static void load(WebKitWebView* view) {
        WebViewScripts::loadHtml(view, R"(<p>host</p><iframe srcdoc="<p>inner</p>"></iframe>)", "http://127.0.0.1/parlor/");
    }
    std::string run(const std::string& script, WebKitWebView* view = nullptr) {
        return WebViewScripts::run(view ? view : m_view.get(), script);
    }

    RecordingHandler m_handler;
    Q7ZPageBridge m_bridge{m_handler};
    GObjectPtr<WebKitWebView> m_view;
    int m_pageDialogs = 0;
};

TEST_F(PageBridgeTest, EveryOperationThroughEveryNameReachesTheHandlerAndAnswersBeforeItReturns) {
    struct Row { const char* call; const char* handlerLog; const char* pageSees; };
    const Row rows[] = {
        {"bridge.getEnterpriseInfo(callback)", "getEnterpriseInfo", R"(["Acme 'Chat' \"中文\"","http://x/i.png"])"},
        {"bridge.getOSVersion(callback)", "getOSVersion", R"x(["512(Debian GNU/Linux 12)"])x"},
        {"bridge.checkIsZoomInstalled('not a function'); bridge.checkIsZoomInstalled(callback)",
         "checkIsZoomInstalled; checkIsZoomInstalled", R"(["true"])"},
        {R"(bridge.showNotice('{"Name":"O\'Neil \\"x\\" 中文\\n"}'))", R"(showNotice {"Name":"O'Neil \"x\" 中文\n"})", "none"},
        {"bridge.showIMNotice('not json'); bridge.showInviteNotice(123); bridge.showInviteNotice('{}')",
         "showIMNotice not json; showInviteNotice {}", "none"},
        {"bridge.openSettingWindow()", "openSettingWindow", "none"},
        {"bridge.changeBadge(5); bridge.changeBadge(-2.5); bridge.changeBadge('5'); bridge.changeBadge()",
         "changeBadge 5; changeBadge -2.5; changeBadge none; changeBadge none", "none"},
        {"bridge.navigateToLogoutPage(); bridge.exitApplication(); bridge.noticeEvent()",
         "ask navigateToLogoutPage; answered; ask exitApplication; answered; noticeEvent", "none"},
    };
    for (const char* name : {"navigateObj", "settingObj", "noticeObj"}) {
        for (const Row& row : rows) {
            m_handler.log.clear();
            const std::string script = std::string("(() => { const bridge = ") + name +
                "; let got = 'none'; const callback = (...values) => { got = JSON.stringify(values); }; " + row.call +
                "; return got; })()";
            EXPECT_EQ(run(script), row.pageSees) << name << ": " << row.call;
            EXPECT_EQ(m_handler.log, row.handlerLog) << name << ": " << row.call;
        }
    }
    EXPECT_EQ(m_pageDialogs, 0);
}

TEST_F(PageBridgeTest, OnlyTheElevenInEveryFrameMalformedCallsRefusedPlainPromptsLeftToThePage) {
    GObjectPtr<WebKitWebView> popup(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new_with_related_view(m_view.get()))));
    m_bridge.attach(popup.get());
    load(popup.get());
    const std::pair<std::string, std::string> checks[] = {
        {"Object.keys(navigateObj).sort().join()",
         "changeBadge,checkIsZoomInstalled,exitApplication,getEnterpriseInfo,getOSVersion,navigateToLogoutPage,"
         "noticeEvent,openSettingWindow,showIMNotice,showInviteNotice,showNotice"},
        {"navigateObj === settingObj && settingObj === noticeObj && Object.isFrozen(noticeObj)", "true"},
        {"navigateObj.extra = 1; delete navigateObj.noticeEvent; [typeof navigateObj.extra, typeof noticeObj.dealloc, "
         "typeof settingObj.showErrorAlertViewWithMessage, typeof noticeObj.noticeEvent].join()",
         "undefined,undefined,undefined,function"},
        {"frames[0].noticeObj !== noticeObj && Object.keys(frames[0].settingObj).length", "11"},
        {"prompt('Your name?')", "page dialog"},
    };
    for (const auto& [script, expected] : checks) EXPECT_EQ(run(script), expected) << script;
    for (const char* call : {R"(not json)", R"({"0":"noticeEvent"})", R"([])", R"([7])", R"(["noSuchOperation"])",
                             R"(["showNotice"])", R"(["noticeEvent","extra"])", R"(["showNotice",{"Name":1}])",
                             R"(["changeBadge","5"])", R"(["getOSVersion","x"])"}) {
        EXPECT_EQ(run(std::string("prompt('\\u0001bridge:") + call + "')"), "null") << call;
    }
    EXPECT_EQ(m_handler.log, "");
    EXPECT_EQ(m_pageDialogs, 1);

    EXPECT_EQ(run("frames[0].settingObj.openSettingWindow(); typeof noticeObj", popup.get()), "object");
    EXPECT_EQ(m_handler.log, "openSettingWindow");
}

}  // namespace
