#pragma once

#include <QString>
#include <functional>

// Work done in a forked child, for what a test cannot do to its own process: dying mid-copy, or seeing
// a directory as read-only although the test runs as root.
namespace ChildProcess {

constexpr int notRun = -1; // killed by a signal, or did not end in time
constexpr int setupFailed = 125;

// The child's exit status (work's result), or notRun.
int run(const std::function<int()>& work, int timeoutMs = 30000);

// As run, with directory read-only for the child: a read-only bind mount in a private mount namespace.
// setupFailed when the child could not arrange that; skipReason then says why.
int runWithReadOnlyDirectory(const QString& directory, const std::function<int()>& work);
QString skipReason();

// Waits for a child started by fork(), at most timeoutMs, killing it afterwards. Exit status or notRun.
int wait(int pid, int timeoutMs);

} // namespace ChildProcess
