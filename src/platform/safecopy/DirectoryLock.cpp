#include "platform/safecopy/DirectoryLock.h"

#include "platform/files/SystemCall.h"

#include <fcntl.h>
#include <sys/file.h>

DirectoryLock::DirectoryLock(FileSystem& fs, int directory)
    : held_(fs, retryInterrupted(
                    [&] { return fs.openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); })) {
    if (!held_.isOpen())
        result_ = StepResult::fromErrno(errno);
    else if (retryInterrupted([&] { return fs.flock(held_.get(), LOCK_EX); }) < 0)
        result_ = StepResult::fromErrno(errno);
}
