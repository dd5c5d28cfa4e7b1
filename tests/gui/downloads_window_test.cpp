// The downloads window as its user and the web host see it: for each record state, the row's
// shown pieces (by accessible name) and which clicks on the shown controls reach
// the delegate; the same again after every record changed state and the table was only
// reloaded; Tab order through rows in and out of sight; Escape and the title bar's close going
// through the delegate; no delegate, no requests.

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/window/Q7ZDownloaderWindow.h"
#include "platform/Bundle.h"
#include "support/MainLoopPump.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WidgetEvents.h"

namespace {

using Status = Q7ZDownloadStatus;
using Strings = std::vector<std::string>;
using Record = std::shared_ptr<Q7ZDownloadData>;

struct RecordingDelegate : Q7ZDownloaderWindowDelegate, Q7ZDownloadDataDelegate {
    Strings requests;
    void downloaderWindowWillClose(Q7ZDownloaderWindow&) override { requests.push_back("close window"); }
    void downloaderOpenFileWithDownloadData(const Record& data) override { note("open", data); }
    void downloaderOpenFileFolderWithDownloadData(const Record& data) override { note("folder", data); }
    void downloaderCancelWithDownloadData(const Record& data) override { note("cancel", data); }
    void downloaderRetryWithDownloadData(const Record& data) override { note("retry", data); }
    void downloaderCleanWithDownloadData(const Record& data) override { note("clean", data); }
    void note(const std::string& request, const Record& data) { requests.push_back(request + " " + data->requestID()); }
};

// A row as the user sees it: "button <name>", "label <name>", "bar <name>" of its shown controls.
struct ShownRow {
    std::set<std::string> pieces;
    std::vector<Gtk::Button*> buttons;
};

// Shown rows by the name on their name button (the file name).
std::map<std::string, ShownRow> shownRows(Gtk::Window& window) {
    std::map<std::string, ShownRow> rows;
    for (Gtk::Widget* view : widgetTree(window)) {
        if (!view->get_mapped() || !dynamic_cast<Gtk::Layout*>(view->get_parent())) continue;
        ShownRow row;
        for (Gtk::Widget* piece : widgetTree(*view)) {
            auto* button = dynamic_cast<Gtk::Button*>(piece);
            const char* kind = button                                   ? "button "
                               : dynamic_cast<Gtk::Label*>(piece)       ? "label "
                               : dynamic_cast<Gtk::ProgressBar*>(piece) ? "bar "
                                                                        : nullptr;
            if (!kind || !piece->get_mapped() || dynamic_cast<Gtk::Button*>(piece->get_parent())) continue;
            row.pieces.insert(kind + accessibleName(*piece));
            if (button) row.buttons.push_back(button);
        }
        if (!row.buttons.empty()) rows[accessibleName(*row.buttons.front())] = row;
    }
    return rows;
}

class DownloadsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        GtkTestEnvironment::ensure();
        auto& registry = Q7ZDownloadDataSingleton::getInstance();
        for (const auto& record : registry.getAllDownloadDataArray())
            registry.removeDownloadDataWithRequestID(record->requestID());
        for (const auto& [id, status] : kRecords) {
            auto record = std::make_shared<Q7ZDownloadData>();
            record->setRequestID(id);
            record->setSavePathString("/nonexistent/downloads/" + id + ".pdf");
            record->setTotalDataLenght(1536);
            record->setCountDataLenght(512);
            record->setCurrentstatus(status);
            record->setRetryUrl("https://chat.example.com/" + id);
            registry.addDownloadData(record);
            m_records[id] = record;
        }
        m_window = std::make_unique<Q7ZDownloaderWindow>(nullptr);
        m_window->setDownloaderDelegate(&m_delegate);
        m_window->resize(500, 900);
        m_window->show();
        ASSERT_TRUE(pumpUntil([this] { return shownRows(*m_window).size() == kRecords.size(); }));
    }

    static inline const std::vector<std::pair<std::string, Status>> kRecords = {
        {"none", Status::None},     {"running", Status::Downloading}, {"finished", Status::Finished},
        {"failed", Status::Failed}, {"missing", Status::FileMissing}, {"other", Status{7}},
    };

    // The names of the rows' buttons besides the file's own.
    const std::string m_folder = localizedString("m3227"), m_cancel = localizedString("m10");
    const std::string m_remove = localizedString("RemoveFromList"), m_retry = localizedString("TryAgain");
    RecordingDelegate m_delegate;
    std::map<std::string, Record> m_records;
    std::unique_ptr<Q7ZDownloaderWindow> m_window;
};

TEST_F(DownloadsWindowTest, EachStateShowsItsPiecesHeightAndRequests) {
    const std::string folder = "button " + m_folder, cancel = "button " + m_cancel, close = "button " + m_remove;
    const struct {
        Status status;
        std::set<std::string> shownBesideNameAndSize;
        Strings requestsOfAllClicks;
    } expected[] = {
        {Status::None, {}, {}},
        {Status::Downloading, {"bar", cancel}, {"cancel"}},
        {Status::Finished, {folder, close}, {"open", "folder", "clean"}},
        {Status::Failed, {"label " + localizedString("m46"), "button " + m_retry, close}, {"retry", "clean"}},
        {Status::FileMissing, {"label " + localizedString("m3228"), close}, {"clean"}},
        {Status{7}, {}, {}},
    };
    // First as registered; then with every record moved on to another state and the table
    // only reloaded, as the web host does on progress and state events.
    for (const int shift : {0, 1, 3}) {
        // A failed row says why in place of its size.
        for (std::size_t index = 0; index < kRecords.size(); ++index) {
            const Status status = expected[(index + shift) % kRecords.size()].status;
            m_records[kRecords[index].first]->setCurrentstatus(status);
            if (status == Status::Failed) m_records[kRecords[index].first]->fail(Q7ZDownloadFailure::Server);
        }
        m_window->updateData();
        m_window->reloadTableView();
        drainPending();
        for (std::size_t index = 0; index < kRecords.size(); ++index) {
            const auto& id = kRecords[index].first;
            const auto& state = expected[(index + shift) % kRecords.size()];
            const std::string name = id + ".pdf";
            SCOPED_TRACE(id + " shift " + std::to_string(shift));
            std::set<std::string> pieces = state.shownBesideNameAndSize;
            pieces.insert({"button " + name, state.status == Status::Failed
                                                 ? "label " + localizedString("DownloadNotSent")
                                                 : "label 1.5 KB"});
            if (pieces.erase("bar")) pieces.insert("bar " + name);
            ShownRow row;
            pumpUntil([&] { return (row = shownRows(*m_window)[name]).pieces == pieces; });
            EXPECT_EQ(row.pieces, pieces);
            // Only a finished file is offered for dragging out, by its name.
            GtkTargetList* targets = gtk_drag_source_get_target_list(GTK_WIDGET(row.buttons.front()->gobj()));
            const GdkAtom uriList = gdk_atom_intern_static_string("text/uri-list");
            EXPECT_EQ(targets && gtk_target_list_find(targets, uriList, nullptr), state.status == Status::Finished);

            m_delegate.requests.clear();
            for (Gtk::Button* button : row.buttons) button->clicked();
            Strings requests;
            for (const auto& request : state.requestsOfAllClicks) requests.push_back(request + " " + id);
            EXPECT_EQ(m_delegate.requests, requests);
        }
    }
}

TEST_F(DownloadsWindowTest, TabReadsRowByRowAndClosingGoesThroughTheDelegate) {
    // Newest first: other, missing, failed, finished, running, none; the window starts on the
    // first control and Tab comes round to it again.
    const Strings order = {"other.pdf", "missing.pdf",  m_remove,   "failed.pdf", m_retry,
                           m_remove,    "finished.pdf", m_folder,   m_remove,     "running.pdf",
                           m_cancel,    "none.pdf",     "other.pdf"};
    // Only some rows in sight: Tab scrolls to the next one.
    m_window->resize(500, 350);
    ASSERT_TRUE(pumpUntil([this] { return shownRows(*m_window).size() < kRecords.size(); }));
    sendFocusChange(*m_window, true);  // as the desktop gives it to the window the user works in
    Strings focused;
    for (std::size_t step = 0; step < order.size(); ++step, m_window->child_focus(Gtk::DIR_TAB_FORWARD))
        focused.push_back(m_window->get_focus() ? accessibleName(*m_window->get_focus()) : "");
    EXPECT_EQ(focused, order);

    sendKeyPress(*m_window, GDK_KEY_Escape);
    m_window->close();
    pumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(m_delegate.requests, (Strings{"close window", "close window"}));
    EXPECT_TRUE(m_window->get_visible());

    m_delegate.requests.clear();
    m_window->setDownloaderDelegate(nullptr);
    m_window->close();
    for (auto& [name, row] : shownRows(*m_window))
        for (Gtk::Button* button : row.buttons) button->clicked();
    pumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(m_delegate.requests.empty());
}

}  // namespace
