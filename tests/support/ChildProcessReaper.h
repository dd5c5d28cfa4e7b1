#pragma once
// Ending the processes a test started, always within a time limit: a polite SIGTERM, then
// SIGKILL, and every one reaped.

#include <sys/types.h>

#include <chrono>

namespace ChildProcessReaper {

// One child process.
void terminateAndReap(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(5));
// Every process of a process group whose leader is our child. Descendants that were orphaned
// come back to this process when it is a child subreaper (becomeSubreaper), and are reaped too.
void terminateAndReapGroup(pid_t processGroup, std::chrono::milliseconds grace = std::chrono::seconds(5));
// Orphaned descendants are re-parented to this process instead of init, so a test can reap
// the programs its programs started.
void becomeSubreaper();

}  // namespace ChildProcessReaper
