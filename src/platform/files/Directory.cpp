#include "platform/files/Directory.h"

#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"
#include "platform/files/RetryInterrupted.h"

#include <fcntl.h>

namespace Directory {

int open(FileSystem& fs, const QByteArray& path, int extraFlags) {
    return retryInterrupted(
        [&] { return fs.open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags); });
}

int reopen(FileSystem& fs, int directory) {
    return retryInterrupted([&] { return fs.openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); });
}

StepResult sync(FileSystem& fs, int directory) {
    if (fs.fsync(directory) == 0 || errno == EINVAL)
        return {};
    return StepResult::fromErrno(errno);
}

// The folders above are made only when the folder itself cannot be.
StepResult make(FileSystem& fs, const QByteArray& path, mode_t mode) {
    if (fs.mkdirat(AT_FDCWD, path.constData(), mode) == 0 || errno == EEXIST)
        return {};
    const int error = errno;
    const QByteArray parent = FilePlace::split(path).directory;
    if (error != ENOENT || parent == path)
        return StepResult::fromErrno(error);
    const StepResult made = make(fs, parent, mode);
    if (made && fs.mkdirat(AT_FDCWD, path.constData(), mode) < 0 && errno != EEXIST)
        return StepResult::fromErrno(errno);
    return made;
}

} // namespace Directory
