#include "platform/safecopy/AtomicFileCopy.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/safecopy/ByteCopy.h"
#include "platform/safecopy/DirectoryLock.h"
#include "platform/safecopy/FileKeeper.h"
#include "platform/safecopy/TemporaryFile.h"

#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr int maxLinkHops = 40;      // the kernel's own limit for one lookup
constexpr mode_t defaultMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t privateMode = 0600; // until the replaced file's bits are set
} // namespace

StepResult AtomicFileCopy::copy(const FilePlace& source, const FilePlace& destination) {
    bool sourceChanged = false;
    const StepResult copied = copyOnce(source, destination, sourceChanged);
    // Bytes read while the source was rewritten may belong to neither version: one more try, then give up.
    return sourceChanged ? copyOnce(source, destination, sourceChanged) : copied;
}

StepResult AtomicFileCopy::replace(const FilePlace& destination, const QByteArray& bytes) {
    FilePlace where = destination;
    int fd = -1;
    const StepResult located = locate(where, fd);
    const Descriptor directory(fs_, fd);
    if (!located)
        return located;
    return copyInto(directory.get(), where,
                    [&](int temporary) { return ByteCopy::writeAll(fs_, temporary, bytes); });
}

StepResult AtomicFileCopy::copyOnce(const FilePlace& source, const FilePlace& destination,
                                    bool& sourceChanged) {
    FilePlace where = destination;
    int fd = -1;
    const StepResult located = locate(where, fd);
    const Descriptor directory(fs_, fd);
    if (!located)
        return located;

    const Descriptor sourceDirectory(fs_, Directory::open(fs_, source.directory));
    if (!sourceDirectory.isOpen())
        return StepResult::fromErrno(errno);
    // Non-blocking, so that a pipe in the source's place cannot hang the program; it is refused below.
    Descriptor from(fs_, retryInterrupted([&] {
                        return fs_.openat(sourceDirectory.get(), source.name.constData(),
                                          O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
                    }));
    if (!from.isOpen())
        return StepResult::fromErrno(errno);
    struct stat sourceBefore {};
    if (StepResult regular = ByteCopy::checkRegularFile(fs_, from.get(), sourceBefore); !regular)
        return regular;
    return copyInto(directory.get(), where, [&](int temporary) {
        const StepResult copied = ByteCopy::copy(fs_, from.get(), sourceBefore, temporary);
        sourceChanged = copied.is(StepResult::Kind::SourceChanged);
        return copied;
    });
}

// Follows where through symbolic links to the file that is really to be replaced, and opens its directory.
// A link to a file that does not exist yet names the file to create.
StepResult AtomicFileCopy::locate(FilePlace& where, int& directory) {
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        if (where.name.isEmpty())
            return StepResult::fromErrno(EISDIR);
        directory = Directory::open(fs_, where.directory);
        if (directory < 0)
            return StepResult::fromErrno(errno);
        char link[PATH_MAX];
        const ssize_t length = fs_.readlinkat(directory, where.name.constData(), link, sizeof link);
        if (length < 0)
            return StepResult::fromErrno(errno == EINVAL || errno == ENOENT ? 0 : errno);
        fs_.close(std::exchange(directory, -1));
        if (size_t(length) >= sizeof link)
            return StepResult::fromErrno(ENAMETOOLONG);
        // The link's target arrives whole, relative to the link's own directory unless absolute.
        const QByteArray pointsTo(link, length);
        where = FilePlace::split(pointsTo.startsWith('/') ? pointsTo : where.directory + '/' + pointsTo);
    }
    return StepResult::fromErrno(ELOOP);
}

StepResult AtomicFileCopy::copyInto(int directory, const FilePlace& where, const Fill& fill) {
    const QByteArray& name = where.name;
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
        result = renameKeepingReplaced(directory, temporaryName, where);
    if (!result) {
        fs_.unlinkat(directory, temporaryName.constData(), 0);
        return result;
    }
    return closeAfterRename(temporary, directory);
}

// What the rename displaces is looked at, and kept, only under the directory's lock: another running copy
// cannot slip its own version in between.
StepResult AtomicFileCopy::renameKeepingReplaced(int directory, const QByteArray& temporary,
                                                 const FilePlace& where) {
    const DirectoryLock lock(fs_, directory);
    if (!lock.result())
        return lock.result();
    if (keeper_)
        if (StepResult kept = keeper_->keep(directory, where); !kept)
            return kept;
    if (fs_.renameat(directory, temporary.constData(), directory, where.name.constData()) == 0)
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
