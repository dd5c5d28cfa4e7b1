// The page's dialogs and file inputs in a real web view: alert, confirm and prompt are asked
// through the scripted dialogs and the page gets their answers (a cancelled prompt the empty
// text); a before-unload question never shows anything; a file input gets the chosen files, one
// or several as it allows, and keeps them on cancel. (Popups are the web host test's.)

#include <string>

#include <gtest/gtest.h>

#include "support/MainLoopPump.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/WebViewScripts.h"
#include "web/Q7ZFileInputs.h"
#include "web/Q7ZPageDialogs.h"

namespace {

class PageWindowsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }
    void SetUp() override {
        g_signal_connect(m_view.get(), "script-dialog", G_CALLBACK(on_view_script_dialog), &m_askedTypes);
        m_pageDialogs.attach(m_view.get());
        m_fileInputs.attach(m_view.get());
        WebViewScripts::loadHtml(m_view.get(), "<input id=one type=file><input id=many type=file multiple>",
                                 "http://127.0.0.1/");
    }
    // Sees every dialog the engine asks for and leaves it to the handling under test.
    static gboolean on_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, std::string* types) {
        *types += std::to_string(webkit_script_dialog_get_dialog_type(dialog));
        return FALSE;
    }
    std::string run(const std::string& script) { return WebViewScripts::run(m_view.get(), script); }

    ScriptedDialogs m_dialogs;
    Q7ZPageDialogs m_pageDialogs{m_dialogs};
    Q7ZFileInputs m_fileInputs{m_dialogs};
    GObjectPtr<WebKitWebView> m_view = WebViewScripts::newView();
    std::string m_askedTypes;
};

TEST_F(PageWindowsTest, AlertConfirmAndPromptAnswerThePageBeforeUnloadAsksNothing) {
    const struct { const char* call; int button; const char* text; const char* pageSees; } rows[] = {
        {"alert('Hello')", 0, nullptr, "undefined"},     {"confirm('Sure?')", 0, nullptr, "true"},
        {"confirm('Sure?')", 1, nullptr, "false"},       {"confirm('Sure?')", -1, nullptr, "false"},
        {"prompt('Name?', 'Ann')", 0, "Bob", R"("Bob")"}, {"prompt('Name?', 'Ann')", 1, "Bob", R"("")"},
        {"prompt('Name?', 'Ann')", -1, "Bob", R"("")"},
    };
    for (const auto& row : rows) {
        row.text ? m_dialogs.answerTextInput(row.button, row.text) : m_dialogs.answerAlert(row.button);
        EXPECT_EQ(run(std::string("JSON.stringify(") + row.call + ")"), row.pageSees) << row.call;
    }
    EXPECT_EQ(m_dialogs.alerts(),
              (std::vector<std::string>{"Hello", "Sure?", "Sure?", "Sure?", "Name?", "Name?", "Name?"}));

    m_askedTypes.clear();
    run("onbeforeunload = event => { event.preventDefault(); return event.returnValue = 'Stay'; };"
        "location.href = 'about:blank#left'");
    EXPECT_TRUE(pumpUntil([this] { return run("location.href") == "about:blank#left"; }));
    EXPECT_EQ(m_askedTypes, std::to_string(WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM));  // and nothing shown
}

TEST_F(PageWindowsTest, FileInputsGetTheChosenFilesOneOrSeveralAndKeepThemOnCancel) {
    const std::string readme = VELLOQ_SOURCE_DIR "/README.md", lists = VELLOQ_SOURCE_DIR "/CMakeLists.txt";
    const struct { const char* input; std::optional<std::vector<std::string>> answer; const char* files; } rows[] = {
        {"one", std::vector{readme}, "README.md"},
        {"many", std::vector{readme, lists}, "README.md,CMakeLists.txt"},
        {"many", std::nullopt, "README.md,CMakeLists.txt"},
    };
    for (const auto& row : rows) {
        m_dialogs.answerOpenPanel(row.answer);
        const std::string input = std::string("document.getElementById('") + row.input + "')";
        run(input + ".click()");
        const std::string names = "[..." + input + ".files].map(file => file.name).join()";
        EXPECT_TRUE(pumpUntil([&] { return run(names) == row.files; })) << row.input << ": " << run(names);
        const OpenPanelOptions& asked = m_dialogs.openPanels().back();
        EXPECT_TRUE(asked.canChooseFiles && !asked.canChooseDirectories && asked.allowedExtensions.empty());
        EXPECT_EQ(asked.allowsMultipleSelection, row.input == std::string("many"));
    }
}

}  // namespace
