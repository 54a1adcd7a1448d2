#pragma once

// Processes, users and threads, for the Linux platform's tests: the only place besides the
// implementation where they touch the system directly.

#include <filesystem>
#include <functional>

namespace t47::test {

// Runs `body` in a forked child, which ends with status 0 when it returned true and 1
// otherwise; that status, or -1 when the child did not end by itself.
int RunInChildProcess(const std::function<bool()>& body);

bool RunningAsRoot();

// Gives up root for the user and group nobody, for good: in a child process only.
bool BecomeNobody();

// Hands a file or folder to the user nobody (root only).
bool GiveToNobody(const std::filesystem::path& path);

// The kernel's id of the calling thread.
int CurrentThreadId();

// Returns once the thread sleeps in the kernel; for a thread that can sleep only in one wait,
// once it waits there. Checks again every millisecond, without a limit.
void WaitUntilThreadSleeps(int threadId);

}  // namespace t47::test
