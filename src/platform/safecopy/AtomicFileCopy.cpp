#include "platform/safecopy/AtomicFileCopy.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/NativePath.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/safecopy/ByteCopy.h"
#include "platform/safecopy/DirectoryLock.h"
#include "platform/safecopy/FileKeeper.h"
#include "platform/safecopy/TemporaryFile.h"

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int maxLinkHops = 40;      // the kernel's own limit for one lookup
constexpr mode_t defaultMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t privateMode = 0600; // until the replaced file's bits are set
} // namespace

StepResult AtomicFileCopy::copy(const QByteArray& source, const QByteArray& destination) {
    bool sourceChanged = false;
    const StepResult copied = copyOnce(source, destination, sourceChanged);
    // Bytes read while the source was rewritten may belong to neither version: one more try, then give up.
    return sourceChanged ? copyOnce(source, destination, sourceChanged) : copied;
}

StepResult AtomicFileCopy::replace(const QByteArray& destination, const QByteArray& bytes) {
    NativePath where;
    if (StepResult located = locate(destination, where); !located)
        return located;
    return replaceIn(where, [&](int temporary) { return ByteCopy::writeAll(fs_, temporary, bytes); });
}

StepResult AtomicFileCopy::copyOnce(const QByteArray& source, const QByteArray& destination,
                                    bool& sourceChanged) {
    NativePath where;
    if (StepResult located = locate(destination, where); !located)
        return located;

    // Non-blocking, so that a pipe in the source's place cannot hang the program; it is refused below.
    Descriptor from(fs_, retryInterrupted([&] {
                        return fs_.open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
                    }));
    if (!from.isOpen())
        return StepResult::fromErrno(errno);
    struct stat sourceBefore {};
    if (StepResult regular = ByteCopy::checkRegularFile(fs_, from.get(), sourceBefore); !regular)
        return regular;
    return replaceIn(where, [&](int temporary) {
        const StepResult copied = ByteCopy::copy(fs_, from.get(), sourceBefore, temporary);
        sourceChanged = ByteCopy::sourceChanged(copied);
        return copied;
    });
}

// The file that is really to be replaced, as a directory and a name in it.
StepResult AtomicFileCopy::locate(const QByteArray& destination, NativePath& where) {
    QByteArray target;
    if (StepResult resolved = resolveLinks(destination, target); !resolved)
        return resolved;
    where = NativePath::split(target);
    return StepResult::fromErrno(where.name.isEmpty() ? EISDIR : 0);
}

StepResult AtomicFileCopy::replaceIn(const NativePath& where, const Fill& fill) {
    Descriptor directory(fs_, Directory::open(fs_, where.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    return copyInto(directory.get(), where.name, fill);
}

// Follows the destination through symbolic links to the file that is really to be replaced.
// A link to a file that does not exist yet names the file to create.
StepResult AtomicFileCopy::resolveLinks(QByteArray path, QByteArray& target) {
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        char link[PATH_MAX];
        const ssize_t length = fs_.readlink(path.constData(), link, sizeof link);
        if (length < 0) {
            if (errno != EINVAL && errno != ENOENT)
                return StepResult::fromErrno(errno);
            target = path;
            return {};
        }
        if (size_t(length) >= sizeof link)
            return StepResult::fromErrno(ENAMETOOLONG);
        const QByteArray pointsTo(link, length);
        path = pointsTo.startsWith('/') ? pointsTo : NativePath::split(path).directory + '/' + pointsTo;
    }
    return StepResult::fromErrno(ELOOP);
}

StepResult AtomicFileCopy::copyInto(int directory, const QByteArray& name, const Fill& fill) {
    struct stat replaced {};
    bool replacing = fs_.fstatat(directory, name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT)
        return StepResult::fromErrno(errno);
    if (replacing && S_ISDIR(replaced.st_mode))
        return StepResult::fromErrno(EISDIR);
    // Renaming over a file only needs the folder to be writable; a file its owner made read-only stays so,
    // as it would for any program that writes into it.
    if (replacing && fs_.faccessat(directory, name.constData(), W_OK, AT_EACCESS) < 0)
        return StepResult::fromErrno(errno);

    QByteArray temporaryName;
    int fd = -1;
    if (StepResult created =
            TemporaryFile::create(fs_, directory, replacing ? privateMode : defaultMode, temporaryName, fd);
        !created)
        return created;
    Descriptor temporary(fs_, fd);
    StepResult result = fill(temporary.get());
    if (result && replacing && fs_.fchmod(temporary.get(), replaced.st_mode & 07777) < 0)
        result = StepResult::fromErrno(errno);
    if (result && fs_.fsync(temporary.get()) < 0)
        result = StepResult::fromErrno(errno);
    if (result)
        result = renameKeepingReplaced(directory, temporaryName, name);
    if (!result) {
        fs_.unlinkat(directory, temporaryName.constData(), 0);
        return result;
    }
    return closeAfterRename(temporary, directory);
}

// What the rename displaces is looked at, and kept, only under the directory's lock: another running copy
// cannot slip its own version in between.
StepResult AtomicFileCopy::renameKeepingReplaced(int directory, const QByteArray& temporary,
                                                 const QByteArray& name) {
    const DirectoryLock lock(fs_, directory);
    if (!lock.result())
        return lock.result();
    if (keeper_)
        if (StepResult kept = keeper_->keep(directory, name); !kept)
            return kept;
    if (fs_.renameat(directory, temporary.constData(), directory, name.constData()) == 0)
        return {};
    const StepResult failed = StepResult::fromErrno(errno);
    if (keeper_)
        keeper_->giveBack();
    return failed;
}

// Closing gives up the temporary file's lock, which until the rename kept other copies' clean-up away.
StepResult AtomicFileCopy::closeAfterRename(Descriptor& temporary, int directory) {
    const StepResult closed = temporary.closeChecked();
    const StepResult synced = Directory::sync(fs_, directory);
    return closed ? synced : closed;
}
