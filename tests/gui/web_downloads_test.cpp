// Downloads through the web host (see WebHostFixture): the page navigates to the demo server's
// download routes, so the response policy starts page downloads, and the engine downloads
// addresses as its context menu's download commands do. Observed as the user sees them: the
// files in the download folder, the records the downloads window lists, the settings store and
// the launcher entry's progress.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "downloads/Q7ZDownloadDataSingleton.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "support/gui/WebHostFixture.h"
#include "support/gui/WidgetEvents.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class WebDownloadsTest : public WebHostFixture {
protected:
    void SetUp() override {
        WebHostFixture::SetUp();
        for (const auto& record : registry().getAllDownloadDataArray())
            registry().removeDownloadDataWithRequestID(record->requestID());
        m_folder = processHome().path() + "/downloads-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_folder);
        settings().setDownloadFileSavePath(m_folder);
    }

    static Q7ZDownloadDataSingleton& registry() { return Q7ZDownloadDataSingleton::getInstance(); }
    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    // The newest record once there are count of them; a blank record when there are not.
    std::shared_ptr<Q7ZDownloadData> newestOf(std::size_t count) {
        EXPECT_TRUE(pumpUntil([&] { return registry().getAllDownloadDataArray().size() == count; }, 10s)) << count;
        const auto records = registry().getAllDownloadDataArray();
        return records.size() == count ? records.front() : std::make_shared<Q7ZDownloadData>();
    }
    // The same, once it has finished or failed.
    std::shared_ptr<Q7ZDownloadData> endedOf(std::size_t count) {
        auto record = newestOf(count);
        EXPECT_TRUE(pumpUntil([&] { return record->currentstatus() != Q7ZDownloadStatus::Downloading; }, 10s));
        return record;
    }
    std::vector<std::string> filesInFolder() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) names.push_back(entry.path().filename());
        std::ranges::sort(names);
        return names;
    }
    // Clicks the downloads window's button of that accessible name, as a user would.
    bool clickInDownloadsWindow(const std::string& name) {
        drainPending();
        for (Q7ZDownloaderWindow* window : shown<Q7ZDownloaderWindow>())
            for (Gtk::Widget* widget : widgetTree(*window))
                if (auto* button = dynamic_cast<Gtk::Button*>(widget);
                    button && button->is_visible() && accessibleName(*button) == name)
                    return button->clicked(), true;
        return false;
    }

    std::string m_folder;
};

// An engine download, which cannot ask, resets the setting to the default folder; a page
// download asks for a folder, and a cancelled panel fetches nothing.
TEST_F(WebDownloadsTest, AMissingFolderIsResetToTheDefaultByEngineDownloadsAndAskedForByPageDownloads) {
    settings().setDownloadFileSavePath(m_folder + "/gone");
    webkit_web_view_download_uri(m_view, s_server->url("downloads/disposition").c_str());
    const auto engine = newestOf(1);
    ASSERT_TRUE(pumpUntil([&] { return engine->currentstatus() == Q7ZDownloadStatus::Finished; }));
    EXPECT_EQ(settings().downloadFileSavePath(), Paths::downloadsDirectory());
    EXPECT_EQ(engine->savePathString(), Paths::downloadsDirectory() + "/notes.txt");
    EXPECT_NE(readFileText(processHome().documents() + "/Q7ZAppSettingConfig.plist").find(Paths::downloadsDirectory()),
              std::string::npos)
        << "the reset setting was not saved";

    settings().setDownloadFileSavePath(m_folder + "/gone");
    m_dialogs.answerOpenPanel(std::nullopt);
    run("location.href = '" + s_server->url("downloads/plain") + "'");
    pumpFor(500ms);
    ASSERT_EQ(m_dialogs.openPanels().size(), 1u);
    const OpenPanelOptions& asked = m_dialogs.openPanels()[0];
    EXPECT_TRUE(asked.prompt == localizedString("m12") && asked.canChooseDirectories && !asked.canChooseFiles);
    EXPECT_EQ(registry().getAllDownloadDataArray().size(), 1u);

    // A chosen folder takes this download; the setting stays.
    m_dialogs.answerOpenPanel(std::vector<std::string>{m_folder});
    run("location.href = '" + s_server->url("downloads/plain") + "'");
    const auto record = endedOf(2);
    EXPECT_EQ(record->savePathString(), m_folder + "/Quarterly report.pdf");
    EXPECT_EQ(settings().downloadFileSavePath(), m_folder + "/gone");
}

TEST_F(WebDownloadsTest, EngineDownloadsSaveIntoTheFolderShowProgressAndLogoutCancelsAndClearsThem) {
    // Two of one name started together keep both files, and a dangling link at the name stays
    // as it was: each claims a free name of its own.
    fs::create_symlink(m_folder + "/gone.txt", m_folder + "/notes.txt");
    for (int i = 0; i < 2; ++i) webkit_web_view_download_uri(m_view, s_server->url("downloads/disposition").c_str());
    newestOf(2);
    ASSERT_TRUE(pumpUntil([&] {
        return std::ranges::all_of(registry().getAllDownloadDataArray(),
                                   [](const auto& r) { return r->currentstatus() == Q7ZDownloadStatus::Finished; });
    }));
    EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"notes-1.txt", "notes-2.txt", "notes.txt"}));
    EXPECT_TRUE(fs::is_symlink(m_folder + "/notes.txt"));
    EXPECT_EQ(readFileText(m_folder + "/notes-2.txt"), "Notes from the demo server.\n");

    // Into the folder the user has chosen in the settings since; an answer in chunks, which
    // tells no size, shows the size it has on disk.
    const std::tuple<std::string, const char*, const char*> rows[] = {
        {m_folder + "/chosen", "notes.txt", "downloads/disposition"},
        {m_folder + "/chosen", "oversized-stream", "test/oversized-stream?mib=1"}};
    for (std::size_t count = 3; const auto& [folder, name, path] : rows) {
        fs::create_directories(folder);
        settings().setDownloadFileSavePath(folder);
        webkit_web_view_download_uri(m_view, s_server->url(path).c_str());
        const auto finished = newestOf(count++);
        ASSERT_TRUE(pumpUntil([&] { return finished->currentstatus() == Q7ZDownloadStatus::Finished; }));
        EXPECT_EQ(finished->savePathString(), folder + "/" + name);
        EXPECT_GT(finished->totalDataLenght(), 0);
        EXPECT_EQ(fs::file_size(finished->savePathString()), static_cast<std::uintmax_t>(finished->totalDataLenght()));
    }

    // A slow one runs while the launcher shows its progress; logout cancels it and clears both.
    LauncherEntry& launcher = s_screenHost->launcher();
    webkit_web_view_download_uri(m_view, s_server->url("downloads/slow?kib=256&ms=100").c_str());
    const auto running = newestOf(5);
    ASSERT_TRUE(pumpUntil([&] { return running->countDataLenght() > 0 && launcher.progress().value_or(0) > 0; }));
    EXPECT_LT(*launcher.progress(), 1.0);
    m_dialogs.answerAlert(0);
    run("settingObj.navigateToLogoutPage()");
    EXPECT_EQ(running->currentstatus(), Q7ZDownloadStatus::Failed);
    EXPECT_TRUE(registry().getAllDownloadDataArray().empty());
    EXPECT_FALSE(launcher.progress().has_value());
    EXPECT_TRUE(pumpUntil([&] { return shown<Q7ZDownloaderWindow>().empty(); }));
}

// Naming itself is the page download's own test's; here a second page download of a name must
// not replace the first (its row's button bears the numbered name), the page stays, and a 404
// writes nothing and is no finished download.
TEST_F(WebDownloadsTest, PageDownloadsKeepEarlierFilesRowsFindThemGoneOrCancelAndAPopupsDownloadClosesIt) {
    std::shared_ptr<Q7ZDownloadData> records[2];
    for (std::size_t index = 0; index < 2; ++index) {
        run("location.href = '" + s_server->url("downloads/plain") + "'");
        records[index] = endedOf(index + 1);
        EXPECT_EQ(records[index]->currentstatus(), Q7ZDownloadStatus::Finished);
    }
    EXPECT_EQ(run("typeof parlorMain"), "object") << "the page was left for a download";
    // The file's own button opens it, the folder button reveals it: both find it gone.
    const std::pair<int, std::string> clicks[] = {{1, "Quarterly report-1.pdf"}, {0, localizedString("m3227")}};
    for (const auto& [index, button] : clicks) {
        fs::remove(records[index]->savePathString());
        ASSERT_TRUE(clickInDownloadsWindow(button)) << button;
        EXPECT_EQ(records[index]->currentstatus(), Q7ZDownloadStatus::FileMissing) << button;
    }

    // Running downloads of both kinds show their progress under the announced name until
    // cancelled; a cancelled page download leaves no partial file.
    for (const bool isPage : {true, false}) {
        const std::string slow = s_server->url("downloads/slow?kib=512&ms=100");
        if (isPage) run("location.href = '" + slow + "'");
        else webkit_web_view_download_uri(m_view, slow.c_str());
        const auto running = newestOf(3);
        ASSERT_TRUE(pumpUntil(
            [&] { return running->countDataLenght() > 0 && running->fileName() == (isPage ? "slow.bin" : "slow"); }));
        EXPECT_EQ(running->totalDataLenght(), 512 * 1024);
        ASSERT_TRUE(pumpUntil([&] { return clickInDownloadsWindow(localizedString("m10")); }));
        EXPECT_EQ(registry().getAllDownloadDataArray().size(), 2u);
        EXPECT_TRUE(pumpUntil([&] { return filesInFolder().empty(); })) << "a partial file was left";
    }

    run("window.open('" + s_server->url("samples/sample.html") + "')");
    std::vector<WebKitWebView*> popups;
    ASSERT_TRUE(
        pumpUntil([&] { return !(popups = shownPopupViews()).empty() && !webkit_web_view_is_loading(popups[0]); }));
    run("location.href = '" + s_server->url("downloads/named?name=from-popup.txt") + "'", popups[0]);
    EXPECT_TRUE(pumpUntil([&] { return shownPopupViews().empty(); }));
    const auto fromPopup = endedOf(3);
    EXPECT_EQ(fromPopup->savePathString(), m_folder + "/from-popup.txt");

    // A failed row keeps its name and says why; Try Again fetches it anew in a row of its own.
    const auto filesBefore = filesInFolder();
    run("location.href = '" + s_server->url("downloads/missing") + "'");
    const auto missing = endedOf(4);
    EXPECT_EQ(missing->failure(), Q7ZDownloadFailure::Server) << "a 404 shown as a finished download";
    EXPECT_EQ(missing->fileName(), "missing");
    EXPECT_EQ(filesInFolder(), filesBefore) << "a 404 wrote a file";
    run("location.href = '" + s_server->url("downloads/flaky?id=page&fails=2") + "'");
    EXPECT_EQ(endedOf(5)->failure(), Q7ZDownloadFailure::Server);
    ASSERT_TRUE(clickInDownloadsWindow(localizedString("TryAgain")));
    const auto retried = endedOf(5);
    EXPECT_EQ(retried->savePathString(), m_folder + "/flaky.txt");
}

// Answers that fetched again would differ are saved as the engine received them.
TEST_F(WebDownloadsTest, AFormsAnswerAndABlobAddressAreSavedAsReceived) {
    const std::pair<std::string, std::string> rows[] = {
        {"const form = document.createElement('form'); form.method = 'post'; form.action = '" +
             s_server->url("downloads/form") +
             "'; const field = document.createElement('input'); field.name = 'topic'; field.value = 'budget 2027';"
             "form.append(field); document.body.append(form); form.submit()",
         "form-answer.txt:posted:\ntopic=budget 2027\n"},
        {"const link = document.createElement('a'); link.href = URL.createObjectURL(new Blob(['made in the page'], "
         "{type: 'application/octet-stream'})); document.body.append(link); link.click()",
         ":made in the page"}};
    for (std::size_t count = 1; const auto& [script, expected] : rows) {
        run(script);
        const auto saved = endedOf(count++);
        ASSERT_EQ(saved->currentstatus(), Q7ZDownloadStatus::Finished) << script;
        const std::string name = fs::path(saved->savePathString()).filename();
        EXPECT_EQ(expected.substr(0, expected.find(':')).empty() ? ":" : name + ":",
                  expected.substr(0, expected.find(':') + 1));
        EXPECT_EQ(readFileText(saved->savePathString()), expected.substr(expected.find(':') + 1));
        EXPECT_TRUE(saved->retryUrl().empty()) << "offered to fetch again what would be another answer";
    }
}

}  // namespace
