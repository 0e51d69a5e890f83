#include "platform/safecopy/CopyToFreshName.h"

#include "platform/safecopy/AtomicFileCopy.h"
#include "platform/safecopy/TryFreshNames.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>

StepResult copyToFreshName(FileSystem& fs, const QByteArray& source, const QByteArray& stem) {
    return tryFreshNames(
        [&](int attempt) { return attempt == 0 ? stem : stem + '-' + QByteArray::number(attempt); },
        [&](const QByteArray& name) -> std::optional<StepResult> {
            struct stat status {};
            // Even a dangling link takes the name.
            if (fs.fstatat(AT_FDCWD, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                return std::nullopt;
            if (errno != ENOENT)
                return StepResult::fromErrno(errno);
            return AtomicFileCopy(fs).copy(source, name);
        });
}
