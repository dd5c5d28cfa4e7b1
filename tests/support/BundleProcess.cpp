#include "support/BundleProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "BuildConfig.h"

extern char** environ;

using namespace std::chrono_literals;

std::string BundleProcess::applicationExecutable() {
    return std::string(VELLOQ_BUNDLE_DIR) + "/Contents/MacOS/" + BuildConfig::kAppName;
}

std::string BundleProcess::helperExecutable() {
    return std::string(VELLOQ_BUNDLE_DIR) + "/Contents/Library/LoginItems/" + BuildConfig::kHelperName +
           ".app/Contents/MacOS/" + BuildConfig::kHelperName;
}

BundleProcess::BundleProcess(std::vector<std::string> argv) {
    // Orphaned descendants come back to this process instead of init, so they can be reaped.
    prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
    std::vector<char*> pointers;
    for (auto& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawnp(&m_pid, pointers[0], nullptr, &attributes, pointers.data(), environ) != 0) {
        m_pid = -1;
        ADD_FAILURE() << "could not start " << argv[0];
    }
    posix_spawnattr_destroy(&attributes);
}

BundleProcess::~BundleProcess() {
    if (m_pid <= 0) return;
    const auto groupGoneWithin = [group = m_pid](std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (true) {
            while (waitpid(-group, nullptr, WNOHANG) > 0) {
            }
            if (kill(-group, 0) != 0 && errno == ESRCH) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
    };
    kill(-m_pid, SIGTERM);
    if (groupGoneWithin(5s)) return;
    kill(-m_pid, SIGKILL);
    groupGoneWithin(10s);
}

bool BundleProcess::hasExited() {
    int status = 0;
    if (!m_exitCode && m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == m_pid)
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitCode || m_pid <= 0;
}

std::optional<int> BundleProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!hasExited() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(20ms);
    return m_exitCode;
}

std::vector<pid_t> BundleProcess::runningInGroup(const std::string& executable) const {
    std::vector<pid_t> found;
    const auto wanted = std::filesystem::weakly_canonical(executable);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        // /proc/<pid>/stat: "pid (name) state parent group ...", the name possibly holding ")".
        std::ifstream stat(entry.path() / "stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto nameEnd = text.rfind(')');
        if (nameEnd == std::string::npos) continue;
        std::istringstream fields(text.substr(nameEnd + 1));
        char state = 0;
        pid_t parent = 0, group = 0;
        if (!(fields >> state >> parent >> group) || group != m_pid || state == 'Z') continue;
        if (std::filesystem::read_symlink(entry.path() / "exe", error) == wanted) found.push_back(std::stoi(name));
    }
    return found;
}
