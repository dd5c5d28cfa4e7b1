#include "platform/MainThread.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include <glib.h>

namespace MainThread {
namespace {

enum class JobState { Queued, Ran, Dropped };

struct Job {
    std::function<void()> work;
    bool waited = false;
    std::exception_ptr failure;
    JobState state = JobState::Queued;
    std::mutex mutex;
    std::condition_variable done;

    void settle(JobState outcome) {
        {
            std::lock_guard lock(mutex);
            state = outcome;
        }
        done.notify_all();
    }
};

std::atomic<std::thread::id> g_mainThreadId{};

// Jobs queued and not yet run, so that the end of the loop can wake their waiters. The flag
// and the list share one lock: a job is either queued before the end or refused after it.
std::mutex g_queueMutex;
bool g_loopRunning = false;
std::list<std::shared_ptr<Job>> g_queued;

void logFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        g_warning("work handed to the main thread failed: %s", error.what());
    } catch (...) {
        g_warning("work handed to the main thread failed with an unknown exception");
    }
}

// Takes the job off the queue; false when the end of the loop already dropped it.
bool claim(const std::shared_ptr<Job>& job) {
    std::lock_guard lock(g_queueMutex);
    for (auto it = g_queued.begin(); it != g_queued.end(); ++it) {
        if (*it == job) {
            g_queued.erase(it);
            return true;
        }
    }
    return false;
}

// Exceptions must not unwind through GLib's C frames: they are caught here and handed to the
// waiting caller, or logged when nobody waits.
gboolean runJob(gpointer data) {
    const auto& job = *static_cast<std::shared_ptr<Job>*>(data);
    if (!claim(job)) return G_SOURCE_REMOVE;
    try {
        job->work();
    } catch (...) {
        job->failure = std::current_exception();
        if (!job->waited) logFailure(job->failure);
    }
    job->settle(JobState::Ran);
    return G_SOURCE_REMOVE;
}

void deleteJob(gpointer data) { delete static_cast<std::shared_ptr<Job>*>(data); }

// Always queued on the default context, never run inline on the posting thread. Null once the
// loop has ended.
std::shared_ptr<Job> post(std::function<void()> work, bool waited) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->waited = waited;
    {
        std::lock_guard lock(g_queueMutex);
        if (!g_loopRunning) return nullptr;
        g_queued.push_back(job);
    }
    g_idle_add_full(G_PRIORITY_DEFAULT, runJob, new std::shared_ptr<Job>(job), deleteJob);
    return job;
}

}  // namespace

void adoptCurrentThread() {
    g_mainThreadId = std::this_thread::get_id();
    std::lock_guard lock(g_queueMutex);
    g_loopRunning = true;
}

void endLoop() {
    std::list<std::shared_ptr<Job>> dropped;
    {
        std::lock_guard lock(g_queueMutex);
        g_loopRunning = false;
        dropped.swap(g_queued);
    }
    if (!dropped.empty()) g_debug("the main loop ended with %zu queued jobs; they are dropped", dropped.size());
    for (const auto& job : dropped) job->settle(JobState::Dropped);
}

bool isMainThread() { return g_mainThreadId.load() == std::this_thread::get_id(); }

void runAsync(std::function<void()> work) {
    if (!post(std::move(work), false)) g_debug("work handed to the main thread after its loop ended is dropped");
}

bool runSync(std::function<void()> work) {
    if (isMainThread()) {
        work();
        return true;
    }
    auto job = post(std::move(work), true);
    if (!job) return false;
    std::unique_lock lock(job->mutex);
    job->done.wait(lock, [&] { return job->state != JobState::Queued; });
    if (job->failure) std::rethrow_exception(job->failure);
    return job->state == JobState::Ran;
}

}  // namespace MainThread
