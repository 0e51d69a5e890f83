#include "platform/safecopy/CopyToFreshName.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/safecopy/AtomicFileCopy.h"
#include "platform/safecopy/TryFreshNames.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>

StepResult copyToFreshName(FileSystem& fs, const FilePlace& source, const FilePlace& stem) {
    const Descriptor directory(fs, Directory::open(fs, stem.directory, O_PATH));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    return tryFreshNames(
        [&](int attempt) { return attempt == 0 ? stem.name : stem.name + '-' + QByteArray::number(attempt); },
        [&](const QByteArray& name) -> std::optional<StepResult> {
            struct stat status {};
            // Even a dangling link takes the name.
            if (fs.fstatat(directory.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                return std::nullopt;
            if (errno != ENOENT)
                return StepResult::fromErrno(errno);
            return AtomicFileCopy(fs).copy(source, {stem.directory, name});
        });
}
