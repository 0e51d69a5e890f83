#include "platform/safecopy/DirectoryLock.h"

#include "platform/files/Directory.h"
#include "platform/files/RetryInterrupted.h"

#include <sys/file.h>

DirectoryLock::DirectoryLock(FileSystem& fs, int directory) : held_(fs, Directory::reopen(fs, directory)) {
    if (!held_.isOpen())
        result_ = StepResult::fromErrno(errno);
    else if (retryInterrupted([&] { return fs.flock(held_.get(), LOCK_EX); }) < 0)
        result_ = StepResult::fromErrno(errno);
}
