// The downloads subsystem. Q7ZPageDownload against the demo server on a loopback port, judged
// by what lands in a fresh folder: the outcome of each kind of answer (nothing written for no
// answer; a 404 writing nothing is proven through the web host), the name a "ShowName" header
// gives (decoded twice, kept inside the folder, which any name's staying there is the download
// name fuzzer's invariant), collision naming from the first name, and two downloads of one name
// finishing together keeping both files. Then the process-wide download registry as the web
// host uses it: newest-first order, removal by request ID, lookup by any handle on a transfer,
// cancel-all then clean at logout; its transfers are fakes that count their cancels, and two
// handles may stand for one engine transfer.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/Q7ZDownloadFileName.h"
#include "downloads/Q7ZPageDownload.h"
#include "platform/GObjectPtr.h"
#include "platform/MainThread.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

namespace fs = std::filesystem;
using Outcome = Q7ZPageDownload::Result::Outcome;

// An address on the demo server, which starts on first use and is killed when the program exits.
std::string serverUrl(const std::string& path) {
    static const DemoServer server;
    return server.url(path);
}

std::string escaped(const std::string& text) { return GCharPtr(g_uri_escape_string(text.c_str(), nullptr, 0)).get(); }
// The demo server's download that its "ShowName" header names so.
std::string namedUrl(const std::string& showName) { return serverUrl("downloads/named?name=" + escaped(showName)); }

class PageDownloadTest : public ::testing::Test {
protected:
    Q7ZPageDownload::Result fetch(const std::string& path) {
        return Q7ZPageDownload::fetch({.url = serverUrl(path)}, folder);
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }
    void SetUp() override { fs::create_directory(folder); }
    TempHome m_home;
    const fs::path folder = m_home.path() + "/Downloads";  // a fresh, empty folder
};

// Only a whole 200 answer is saved, under the name the answer gives. The page's cookies go to
// the address's own host, through a redirect too, but not on to another host a redirect leads
// to (the echo answer shows the headers that arrived).
TEST_F(PageDownloadTest, SavesOnlyA200WholeUnderItsNameWithItsAnnouncedSizeAndCookiesOnlyForItsHost) {
    std::string elsewhere = serverUrl("test/echo");
    elsewhere.replace(elsewhere.find("127.0.0.1"), 9, "localhost");
    const auto redirectTo = [](const std::string& url) { return serverUrl("test/redirect?to=" + escaped(url)); };
    using enum Outcome;
    const struct {
        std::string url;
        Outcome outcome;
        long status;
        std::set<std::string> files;
        bool cookieSent = false;
    } rows[] = {
        {"http://127.0.0.1:1/downloads/report.pdf", NoResponse, 0, {}},
        {serverUrl("downloads/large?mib=3"), Saved, 200, {"large.bin"}},
        {serverUrl("downloads/disposition"), Saved, 200, {"notes.txt"}},
        {serverUrl("test/echo"), Saved, 200, {"echo.json"}, true},
        {redirectTo(serverUrl("test/echo")), Saved, 200, {"echo.json"}, true},
        {redirectTo(elsewhere), Saved, 200, {"echo.json"}, false},
        // A "ShowName" header is decoded twice, and its name kept inside the folder.
        {namedUrl("Meeting%2520files%2520%25E6%259C%2583%25E8%25AD%25B0.zip"), Saved, 200, {"Meeting files 會議.zip"}},
        {namedUrl("100%"), Saved, 200, {"100%"}},
        {namedUrl("a%00b"), Saved, 200, {"a%00b"}},
        {namedUrl("..%255C..%255Cwin.ini"), Saved, 200, {"win.ini"}},
    };
    const mode_t umaskBefore = umask(027);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        const auto result = Q7ZPageDownload::fetch({.url = row.url, .cookieHeader = "session=s3cret"}, folder);
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.statusCode, row.status);
        EXPECT_EQ(files(), row.files);
        if (row.outcome != Outcome::Saved) continue;
        EXPECT_EQ(result.savedPath, (folder / *row.files.begin()).string());
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(result.savedPath)), result.expectedSize);
        EXPECT_EQ(fs::status(result.savedPath).permissions(), fs::perms(0640)) << "0666 within the umask 027";
        EXPECT_EQ(readFileText(result.savedPath).find("s3cret") != std::string::npos, row.cookieSent);
        fs::remove(result.savedPath);
    }
    umask(umaskBefore);
}

// A taken name is numbered from the first name, also for downloads of one name finishing together.
TEST_F(PageDownloadTest, NumbersATakenNameFromTheFirstNameAndKeepsEveryFile) {
    fs::create_symlink("nowhere", folder / "link.txt");  // a dangling link takes its name too
    for (int round = 0; round < 3; ++round) fetch("downloads/report.pdf");
    for (const char* name : {"README", "README", "link.txt"}) Q7ZPageDownload::fetch({.url = namedUrl(name)}, folder);
    std::vector<std::thread> threads;
    for (int index = 0; index < 4; ++index) threads.emplace_back([this] { fetch("downloads/large?mib=4"); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(files(),
              (std::set<std::string>{"report.pdf", "report-1.pdf", "report-2.pdf", "README", "README-1", "link.txt",
                                     "link-1.txt", "large.bin", "large-1.bin", "large-2.bin", "large-3.bin"}));
    for (const auto& name : files())
        EXPECT_TRUE(!name.starts_with("large") || fs::file_size(folder / name) == 4u << 20) << name << " is cut";
}

// What an answer's Content-Disposition names (RFC 6266, an RFC 5987 filename* first), made a
// name that shows what it is, stays in the folder and is not hidden, with its type's extension
// when it has none.
TEST(DownloadFileName, TheAnswersNameIsReadByTheRfcsAndMadeSafe) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {R"(attachment; filename="a;b.txt")", "", "a;b.txt"},
        {R"(attachment; filename = "spaced.txt")", "", "spaced.txt"},
        {R"(attachment; filename*=UTF-8'en'%E4%B8%AD.txt; filename=x.txt)", "", "中.txt"},
        {R"(attachment; filename=x.txt; filename*=iso-8859-1''%E9t%E9.txt)", "", "été.txt"},
        {R"(inline; filename="../../etc/passwd")", "", "passwd"},
        {R"(attachment; filename="..\\..\\win.ini")", "", "win.ini"},
        {R"(attachment; filename=".profile")", "", "profile"},
        {R"(attachment; filename="...")", "", "download"},
        {"attachment; filename=\"invoice\u202Efdp.sh\"", "", "invoicefdp.sh"},
        {"attachment; filename=\"a\u2066b\u2069\u0085\u0007\u007F.txt\"", "", "ab.txt"},
        {R"(attachment; filename="echo")", "Application/JSON; charset=utf-8", "echo.json"},
        {R"(attachment; filename="report")", "application/x-unknown", "report"},
        {R"(attachment; filename="data.csv")", "application/json", "data.csv"},
        {"attachment", "text/plain", "download.txt"},
    };
    using namespace Q7ZDownloadFileName;
    for (const auto& [disposition, mimeType, name] : rows)
        EXPECT_EQ(safeFileName(fromContentDisposition(disposition).value_or(""), mimeType), name) << disposition;
}

// A crash's partial files go from the folder (the program's own names, regular files only,
// never a file of a download running now), and when the program ends the running ones' too.
TEST_F(PageDownloadTest, PartialFilesLeftByACrashOrAtTheEndAreRemovedAndNothingElse) {
    std::thread running([this] { EXPECT_EQ(fetch("downloads/slow?kib=64&ms=50").outcome, Outcome::Failed); });
    std::string own;
    for (int wait = 0; own.empty() && wait < 200; ++wait, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        for (const std::string& name : files()) own = name;
    ASSERT_FALSE(own.empty()) << "the slow download made no partial file";
    const std::set<std::string> kept = {own,         ".velloq-download-abc",    "velloq-download-abc123",
                                        "notes.txt", ".velloq-download-dir123", ".velloq-download-lnk123"};
    for (const char* name : {".velloq-download-abc123", ".velloq-download-abc", "velloq-download-abc123", "notes.txt"})
        writeFileText(folder / name, "x");
    fs::create_directory(folder / ".velloq-download-dir123");
    fs::create_symlink("notes.txt", folder / ".velloq-download-lnk123");
    EXPECT_EQ(Q7ZPageDownload::removeLeftoverPartialFiles(folder), 1);
    EXPECT_EQ(files(), kept);
    Q7ZPageDownload::removePartialFiles();
    running.join();
    EXPECT_EQ(files().count(own) + files().count("slow.bin"), 0u);
}

using Status = Q7ZDownloadStatus;
using Strings = std::vector<std::string>;

struct FakeDownload : Q7ZURLDownload {
    explicit FakeDownload(const void* engineTransfer = nullptr) : transfer(engineTransfer ? engineTransfer : this) {}
    void cancel() override { ++cancels; }
    const void* identity() const override { return transfer; }
    const void* transfer;
    int cancels = 0;
};

Q7ZDownloadDataSingleton& registry() { return Q7ZDownloadDataSingleton::getInstance(); }

void add(const std::string& id, Status status, std::shared_ptr<FakeDownload> download = {}) {
    auto record = std::make_shared<Q7ZDownloadData>();
    record->setRequestID(id);
    record->setCurrentstatus(status);
    record->setUrlDownload(std::move(download));
    registry().addDownloadData(record);
}

// "ID:state" of every record, newest first.
Strings listed() {
    Strings entries;
    for (const auto& record : registry().getAllDownloadDataArray())
        entries.push_back(record->requestID() + ":" + std::to_string(static_cast<int>(record->currentstatus())));
    return entries;
}

// At logout the running transfers are cancelled, then the records no longer running cleared.
TEST(DownloadRegistry, KeepsNewestFirstFindsByAnyHandleAndAtLogoutCancelsThenClears) {
    MainThread::adoptCurrentThread();
    const auto running = std::make_shared<FakeDownload>(), finished = std::make_shared<FakeDownload>(),
               failed = std::make_shared<FakeDownload>(), late = std::make_shared<FakeDownload>();
    const FakeDownload otherHandleOnRunning(running.get());
    add("page", Status::Finished), add("B", Status::Failed), add("running", Status::Downloading, running);
    registry().removeDownloadDataWithRequestID("B"), registry().removeDownloadDataWithRequestID("Z");
    add("page", Status::Finished);  // again: moves up, once
    EXPECT_EQ(listed(), (Strings{"page:2", "running:1"}));
    const auto found = registry().getDownloadDataWithURLDownload(&otherHandleOnRunning);
    EXPECT_EQ(found ? found->requestID() : "", "running");
    // Asking for no transfer finds nothing, though the page download's record has none.
    EXPECT_EQ(registry().getDownloadDataWithURLDownload(nullptr), nullptr);

    add("finished", Status::Finished, finished);
    add("failed", Status::Failed, failed);
    registry().cancelAllDownloader();
    EXPECT_EQ(std::make_tuple(running->cancels, finished->cancels, failed->cancels), std::make_tuple(1, 0, 0));
    // Started after the cancel, and a second record on the finished transfer still running:
    // neither goes, nor does the page download's record, which has no transfer.
    add("late", Status::Downloading, late);
    add("sameTransfer", Status::Downloading, finished);
    registry().cleanAllNoDownloadingHistory();
    EXPECT_EQ(listed(), (Strings{"sameTransfer:1", "late:1", "page:2"}));
    EXPECT_EQ(late->cancels, 0);
}

}  // namespace
