#include "platform/Worker.h"

#include <system_error>
#include <thread>

#include <glib.h>

#include "platform/MainThread.h"

namespace Worker {

void Link::report(std::function<void()> work, bool wait) const {
    auto ifAlive = [owner = m_owner, work = std::move(work)] {
        if (!owner.expired()) work();
    };
    if (wait) MainThread::runSync(std::move(ifAlive));
    else MainThread::runAsync(std::move(ifAlive));
}

bool start(const Owner& owner, std::function<void(const Link& owner)> work) {
    try {
        std::thread([link = owner.link(), work = std::move(work)] { work(link); }).detach();
        return true;
    } catch (const std::system_error& error) {
        g_warning("could not start a worker thread: %s", error.what());
        return false;
    }
}

}  // namespace Worker
