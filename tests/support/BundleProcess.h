#pragma once
// A program started as a user starts it, with the test's environment (a TempHome's HOME and XDG
// folders, DISPLAY, the session bus the fixture set), in a process group of its own. Whatever
// the program starts stays in that group or comes back to this process (a child subreaper);
// all of it is ended (SIGTERM, then SIGKILL) and reaped when the object goes.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class BundleProcess {
public:
    // <bundle>/Contents/MacOS/Velloq Parlor
    static std::string applicationExecutable();
    // <bundle>/Contents/Library/LoginItems/Velloq Parlor helper.app/Contents/MacOS/Velloq Parlor helper
    static std::string helperExecutable();

    // argv[0] is looked up on PATH; fails the current test when the program cannot be started.
    explicit BundleProcess(std::vector<std::string> argv);
    ~BundleProcess();
    BundleProcess(const BundleProcess&) = delete;
    BundleProcess& operator=(const BundleProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The process has ended (and is reaped).
    bool hasExited();
    // Waits within the limit; the exit code, or nullopt while it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // Living processes of this object's group running the executable.
    std::vector<pid_t> runningInGroup(const std::string& executable) const;

private:
    pid_t m_pid = -1;
    std::optional<int> m_exitCode;
};
