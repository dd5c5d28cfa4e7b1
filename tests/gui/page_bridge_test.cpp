// The page scripting bridge in a real web view, driven by page script: all three names, with
// exactly the eleven operations, exist in a subframe of a popup's related view and work there,
// texts travel both ways intact; malformed marker calls and wrongly typed arguments are refused
// and plain prompts are left to the page dialog handling.

#include <string>

#include <gtest/gtest.h>

#include "common/PageScript.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WebViewScripts.h"
#include "web/Q7ZPageBridge.h"

namespace {

constexpr const char* kOddText = "O'Neil \"x\" 中文\n";

class RecordingHandler : public Q7ZPageBridgeHandler {
public:
    std::string log;  // "; "-separated

    EnterpriseInfo getEnterpriseInfo() override { return add("getEnterpriseInfo"), EnterpriseInfo{kOddText, "i.png"}; }
    std::string getOSVersion() override { return add("getOSVersion"), ""; }
    bool checkIsZoomInstalled() override { return add("checkIsZoomInstalled"), true; }
    void noticeEvent() override { add("noticeEvent"); }
    void showNotice(const std::string& text) override { add("showNotice " + text); }
    void showIMNotice(const std::string& text) override { add("showIMNotice " + text); }
    void showInviteNotice(const std::string& text) override { add("showInviteNotice " + text); }
    void openSettingWindow() override { add("openSettingWindow"); }
    void navigateToLogoutPage() override { add("navigateToLogoutPage"); }
    void exitApplication() override { add("exitApplication"); }
    void changeBadge(std::optional<double>) override { add("changeBadge"); }

private:
    void add(const std::string& entry) { log += (log.empty() ? "" : "; ") + entry; }
};

// The page dialog handling, connected after the bridge as the web host does.
gboolean on_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, int* seen) {
    webkit_script_dialog_prompt_set_text(dialog, "page dialog");
    return ++*seen > 0;
}

TEST(PageBridge, EveryNameInAPopupsSubframeMalformedCallsRefusedPlainPromptsLeftToThePage) {
    GtkTestEnvironment::ensure();
    RecordingHandler handler;
    Q7ZPageBridge bridge{handler};
    const auto opener = WebViewScripts::newView();
    GObjectPtr<WebKitWebView> popup(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new_with_related_view(opener.get()))));
    bridge.attach(opener.get());
    bridge.attach(popup.get());
    int pageDialogs = 0;
    g_signal_connect(popup.get(), "script-dialog", G_CALLBACK(on_view_script_dialog), &pageDialogs);
    WebViewScripts::loadHtml(popup.get(), R"(<iframe srcdoc="<p>inner</p>"></iframe>)", "http://127.0.0.1/parlor/");
    // Evaluated in the subframe's own global scope.
    const auto run = [&](const std::string& script) {
        return WebViewScripts::run(popup.get(), "frames[0].eval(" + PageScript::stringLiteral(script) + ")");
    };

    const std::pair<std::string, std::string> checks[] = {
        {"Object.keys(navigateObj).sort().join()",
         "changeBadge,checkIsZoomInstalled,exitApplication,getEnterpriseInfo,getOSVersion,navigateToLogoutPage,"
         "noticeEvent,openSettingWindow,showIMNotice,showInviteNotice,showNotice"},
        {"navigateObj === settingObj && settingObj === noticeObj && Object.isFrozen(noticeObj)", "true"},
        {"var got; settingObj.getEnterpriseInfo((...values) => got = values); got[0]", kOddText},
        {"noticeObj.showNotice(" + std::string(R"('O\'Neil "x" 中文\n'))"), "undefined"},
        {"navigateObj.checkIsZoomInstalled('not a function'); noticeObj.showInviteNotice(123)", "undefined"},
        {"prompt('Your name?')", "page dialog"},
    };
    for (const auto& [script, expected] : checks) EXPECT_EQ(run(script), expected) << script;
    EXPECT_EQ(handler.log, std::string("getEnterpriseInfo; showNotice ") + kOddText + "; checkIsZoomInstalled");
    handler.log.clear();
    for (const char* call : {R"(not json)", R"({"0":"noticeEvent"})", R"([])", R"([7])", R"(["noSuchOperation"])",
                             R"(["showNotice"])", R"(["noticeEvent","extra"])", R"(["showNotice",{"Name":1}])",
                             R"(["changeBadge","5"])", R"(["getOSVersion","x"])"}) {
        EXPECT_EQ(run(std::string("prompt('\\u0001bridge:") + call + "')"), "null") << call;
    }
    EXPECT_EQ(handler.log, "");
    EXPECT_EQ(pageDialogs, 1);
}

}  // namespace
