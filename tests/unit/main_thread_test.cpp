// The hand-off to the main thread as workers use it: the test thread runs the default GLib
// context as the program's loop would. Proves that a job's exception reaches the waiting
// worker instead of crossing GLib, and that no worker stays blocked once the loop has ended.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "platform/MainThread.h"
#include "support/MainLoopPump.h"

namespace {

using namespace std::chrono_literals;

enum class Outcome { Ran, Refused, Threw };

// runSync from a worker thread; the future is ready when the worker is released. The worker
// is detached so that a hang fails the test instead of hanging the program.
std::shared_future<Outcome> runSyncFromWorker(std::function<void()> work) {
    auto promise = std::make_shared<std::promise<Outcome>>();
    std::shared_future<Outcome> outcome = promise->get_future().share();
    std::thread([promise, work = std::move(work)] {
        try {
            promise->set_value(MainThread::runSync(work) ? Outcome::Ran : Outcome::Refused);
        } catch (const std::runtime_error&) {
            promise->set_value(Outcome::Threw);
        }
    }).detach();
    return outcome;
}

// The worker's outcome once it is released, running the loop meanwhile or not; none if it stays blocked.
std::optional<Outcome> outcomeOf(const std::shared_future<Outcome>& outcome, bool runLoop = true) {
    const auto ready = [&](auto wait) { return outcome.wait_for(wait) == std::future_status::ready; };
    if (!(runLoop ? pumpUntil([&] { return ready(0s); }, 5s) : ready(5s))) return std::nullopt;
    return outcome.get();
}

class MainThreadTest : public ::testing::Test {
protected:
    void SetUp() override { MainThread::adoptCurrentThread(); }
    void TearDown() override {
        MainThread::adoptCurrentThread();
        drainPending();
    }
};

TEST_F(MainThreadTest, JobsRunOnTheLoopAndTheirExceptionsReachTheWaitingWorker) {
    bool ranOnMain = false;
    EXPECT_EQ(outcomeOf(runSyncFromWorker([&] { ranOnMain = MainThread::isMainThread(); })), Outcome::Ran);
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(outcomeOf(runSyncFromWorker([] { throw std::runtime_error("job failed"); })), Outcome::Threw);

    // Nobody waits for an asynchronous job: its exception is logged and the loop goes on.
    bool afterwards = false;
    MainThread::runAsync([] { throw std::runtime_error("nobody waits"); });
    MainThread::runAsync([&] { afterwards = true; });
    EXPECT_TRUE(pumpUntil([&] { return afterwards; }));
}

TEST_F(MainThreadTest, NoWorkerBlocksOnceTheLoopHasEnded) {
    bool ran = false;
    // Queued before the end, never run: its worker is released when the loop ends.
    auto waiting = runSyncFromWorker([&] { ran = true; });
    ASSERT_FALSE(waiting.wait_for(200ms) == std::future_status::ready);
    MainThread::endLoop();
    EXPECT_EQ(outcomeOf(waiting, false), Outcome::Refused);

    // Asked after the end: refused at once.
    EXPECT_EQ(outcomeOf(runSyncFromWorker([&] { ran = true; }), false), Outcome::Refused);

    drainPending();
    EXPECT_FALSE(ran);
}

}  // namespace
