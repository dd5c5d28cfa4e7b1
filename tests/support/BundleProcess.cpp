#include "support/BundleProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "support/ChildProcessReaper.h"

extern char** environ;

namespace {

std::vector<std::string> environmentWithBus(const std::string& busAddress) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "DBUS_SESSION_BUS_ADDRESS=", 25) != 0) entries.emplace_back(*entry);
    }
    entries.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The process group and the state letter from /proc/<pid>/stat.
std::optional<std::pair<pid_t, char>> groupAndState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto afterName = text.rfind(')');
    if (afterName == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(afterName + 1));
    char state = 0;
    pid_t parent = 0, group = 0;
    fields >> state >> parent >> group;
    if (!fields) return std::nullopt;
    return std::make_pair(group, state);
}

}  // namespace

std::string BundleProcess::applicationExecutable() {
    return std::string(VELLOQ_BUNDLE_DIR) + "/Contents/MacOS/" + BuildConfig::kAppName;
}

std::string BundleProcess::helperExecutable() {
    return std::string(VELLOQ_BUNDLE_DIR) + "/Contents/Library/LoginItems/" + BuildConfig::kHelperName +
           ".app/Contents/MacOS/" + BuildConfig::kHelperName;
}

BundleProcess::BundleProcess(const std::string& executable, const std::string& busAddress) {
    ChildProcessReaper::becomeSubreaper();
    auto environment = environmentWithBus(busAddress);
    auto envp = pointersTo(environment);
    std::string program = executable;
    char* argv[] = {program.data(), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawn(&m_pid, executable.c_str(), nullptr, &attributes, argv, envp.data()) != 0) {
        m_pid = -1;
        ADD_FAILURE() << "could not start " << executable;
    }
    posix_spawnattr_destroy(&attributes);
}

BundleProcess::~BundleProcess() {
    if (m_pid > 0) ChildProcessReaper::terminateAndReapGroup(m_pid);
}

bool BundleProcess::hasExited() {
    if (m_exitCode) return true;
    if (m_pid <= 0) return true;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

std::optional<int> BundleProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!hasExited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return m_exitCode;
}

std::vector<pid_t> BundleProcess::runningInGroup(const std::string& executable) const {
    std::vector<pid_t> found;
    const auto wanted = std::filesystem::weakly_canonical(executable);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        const auto info = groupAndState(pid);
        if (!info || info->first != m_pid || info->second == 'Z') continue;
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path() / "exe", linkError) == wanted) found.push_back(pid);
    }
    return found;
}
