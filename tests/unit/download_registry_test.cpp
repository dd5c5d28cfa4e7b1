// The process-wide download registry as the web host uses it: newest-first order, removal by
// request ID, lookup by any handle on a transfer, cancel-all then clean at logout. Transfers
// are fakes that count their cancels; two handles may stand for one engine transfer.

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "downloads/Q7ZDownloadDataSingleton.h"
#include "platform/MainThread.h"

namespace {

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

class DownloadRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        MainThread::adoptCurrentThread();
        for (const auto& record : registry().getAllDownloadDataArray()) registry().removeDownloadDataWithRequestID(record->requestID());
    }
};

TEST_F(DownloadRegistry, KeepsNewestFirstAndFindsARecordByAnyHandleOnItsTransfer) {
    const auto transferC = std::make_shared<FakeDownload>();
    const FakeDownload otherHandleOnC(transferC.get());
    add("A", Status::Finished), add("B", Status::Failed), add("C", Status::Downloading, transferC);
    registry().removeDownloadDataWithRequestID("B"), registry().removeDownloadDataWithRequestID("Z");
    add("A", Status::Finished);  // again: moves up, once
    EXPECT_EQ(listed(), (Strings{"A:2", "C:1"}));
    const auto found = registry().getDownloadDataWithURLDownload(&otherHandleOnC);
    EXPECT_EQ(found ? found->requestID() : "", "C");
    // Asking for no transfer finds nothing, though record A has none.
    EXPECT_EQ(registry().getDownloadDataWithURLDownload(nullptr), nullptr);
}

TEST_F(DownloadRegistry, LogoutCancelsRunningTransfersThenClearsThoseNoLongerRunning) {
    const auto running = std::make_shared<FakeDownload>(), finished = std::make_shared<FakeDownload>(),
               failed = std::make_shared<FakeDownload>(), late = std::make_shared<FakeDownload>();
    add("page", Status::Finished);
    add("running", Status::Downloading, running);
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
