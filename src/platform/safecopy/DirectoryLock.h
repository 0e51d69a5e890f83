#pragma once

#include "platform/StepResult.h"
#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/FileSystem.h"
#include "platform/files/RetryInterrupted.h"

#include <cerrno>
#include <sys/file.h>

// An advisory lock on a directory that every running copy of the program takes before it replaces or
// removes a file in it, held until the object goes: two copies never displace one file at once. It is a
// lock of its own open directory, so that two holders in one process exclude each other too.
class DirectoryLock {
public:
    DirectoryLock(FileSystem& fs, int directory) : held_(fs, Directory::reopen(fs, directory)) {
        if (!held_.isOpen())
            result_ = StepResult::fromErrno(errno);
        else if (retryInterrupted([&] { return fs.flock(held_.get(), LOCK_EX); }) < 0)
            result_ = StepResult::fromErrno(errno);
    }

    // Waits until the lock is taken; a failure means no lock is held.
    StepResult result() const { return result_; }

private:
    Descriptor held_;
    StepResult result_;
};
