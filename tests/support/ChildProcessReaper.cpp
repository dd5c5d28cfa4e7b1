#include "support/ChildProcessReaper.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

namespace ChildProcessReaper {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

bool reapedWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        const pid_t result = waitpid(pid, nullptr, WNOHANG);
        if (result == pid || (result < 0 && errno == ECHILD)) return true;
        std::this_thread::sleep_for(kPollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

// Reaps what has ended in the group; true when no process of the group is left.
bool groupIsGone(pid_t processGroup) {
    while (waitpid(-processGroup, nullptr, WNOHANG) > 0) {
    }
    return kill(-processGroup, 0) != 0 && errno == ESRCH;
}

bool groupGoneWithin(pid_t processGroup, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        if (groupIsGone(processGroup)) return true;
        std::this_thread::sleep_for(kPollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace

void terminateAndReap(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (reapedWithin(pid, grace)) return;
    kill(pid, SIGKILL);
    reapedWithin(pid, std::chrono::seconds(10));
}

void terminateAndReapGroup(pid_t processGroup, std::chrono::milliseconds grace) {
    if (processGroup <= 0) return;
    kill(-processGroup, SIGTERM);
    if (groupGoneWithin(processGroup, grace)) return;
    kill(-processGroup, SIGKILL);
    groupGoneWithin(processGroup, std::chrono::seconds(10));
}

void becomeSubreaper() {
    prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
}

}  // namespace ChildProcessReaper
