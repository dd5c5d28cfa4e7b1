#pragma once
// A program of the built bundle started as a user starts it: the test's environment (HOME and
// the XDG folders of a TempHome, DISPLAY) with the session bus of the test's own, in a process
// group of its own. Whatever the program starts stays in that group; all of it is ended and
// reaped when the object goes.

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

    // Fails the current test when the program cannot be started.
    BundleProcess(const std::string& executable, const std::string& busAddress);
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
