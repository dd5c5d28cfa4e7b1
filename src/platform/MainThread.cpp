#include "platform/MainThread.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <glib.h>

namespace MainThread {
namespace {

std::atomic<std::thread::id> g_mainThreadId{};

struct Job {
    std::function<void()> work;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

gboolean runJob(gpointer data) {
    auto* job = static_cast<std::shared_ptr<Job>*>(data);
    (*job)->work();
    {
        std::lock_guard lock((*job)->mutex);
        (*job)->finished = true;
    }
    (*job)->done.notify_all();
    return G_SOURCE_REMOVE;
}

void deleteJob(gpointer data) { delete static_cast<std::shared_ptr<Job>*>(data); }

// Always queued on the default context, never run inline on the posting thread.
std::shared_ptr<Job> post(std::function<void()> work) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    g_idle_add_full(G_PRIORITY_DEFAULT, runJob, new std::shared_ptr<Job>(job), deleteJob);
    return job;
}

}  // namespace

void adoptCurrentThread() { g_mainThreadId = std::this_thread::get_id(); }

bool isMainThread() { return g_mainThreadId.load() == std::this_thread::get_id(); }

void runAsync(std::function<void()> work) { post(std::move(work)); }

void runSync(std::function<void()> work) {
    if (isMainThread()) {
        work();
        return;
    }
    auto job = post(std::move(work));
    std::unique_lock lock(job->mutex);
    job->done.wait(lock, [&] { return job->finished; });
}

}  // namespace MainThread
