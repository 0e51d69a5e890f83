#include "platform/safecopy/CopyToFreshName.h"

#include "platform/safecopy/AtomicFileCopy.h"

#include <cerrno>
#include <fcntl.h>

namespace {
constexpr int maxNameAttempts = 100;
}

StepResult copyToFreshName(FileSystem& fs, const QByteArray& source, const QByteArray& stem) {
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        const QByteArray name = attempt == 0 ? stem : stem + '-' + QByteArray::number(attempt);
        struct stat status {};
        // Even a dangling link takes the name.
        if (fs.fstatat(AT_FDCWD, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        if (errno != ENOENT)
            return StepResult::fromErrno(errno);
        return AtomicFileCopy(fs).copy(source, name);
    }
    return StepResult::fromErrno(EEXIST);
}
