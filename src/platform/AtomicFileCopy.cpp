#include "platform/AtomicFileCopy.h"

#include "platform/Descriptor.h"
#include "platform/NativePath.h"
#include "platform/SystemCall.h"
#include "platform/TemporaryLock.h"
#include "platform/TemporaryName.h"
#include "platform/Trash.h"

#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int maxLinkHops = 40; // the kernel's own limit for one lookup
constexpr int maxNameAttempts = 100;
constexpr size_t rangeChunk = size_t(1) << 20;
constexpr size_t bufferSize = size_t(256) << 10;
constexpr mode_t defaultMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t privateMode = 0600; // until the replaced file's bits are set
constexpr int sourceChanged = -1;    // not an errno, which is never negative
const QString sourceChangedReason = QStringLiteral("Source file changed during the copy");

bool rangeCopyUnsupported(int error) {
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
} // namespace

StepResult AtomicFileCopy::copy(const QByteArray& source, const QByteArray& destination) {
    int error = copyOrError(source, destination);
    // Bytes read while the source was rewritten may belong to neither version: one more try, then give up.
    if (error == sourceChanged)
        error = copyOrError(source, destination);
    if (error == sourceChanged)
        return StepResult::failure(EAGAIN, sourceChangedReason);
    return StepResult::fromErrno(error);
}

StepResult AtomicFileCopy::replace(const QByteArray& destination, const QByteArray& bytes) {
    NativePath where;
    if (const int error = locate(destination, where))
        return StepResult::fromErrno(error);
    return StepResult::fromErrno(replaceIn(
        where, [&](int temporary) { return writeAll(temporary, bytes.constData(), size_t(bytes.size())); }));
}

int AtomicFileCopy::copyOrError(const QByteArray& source, const QByteArray& destination) {
    NativePath where;
    if (const int error = locate(destination, where))
        return error;

    // Non-blocking, so that a pipe in the source's place cannot hang the program; it is refused below.
    Descriptor from(fs_, retryInterrupted([&] {
                        return fs_.open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
                    }));
    if (!from.isOpen())
        return errno;
    struct stat sourceBefore {};
    if (const int error = checkRegularFile(from.get(), sourceBefore))
        return error;
    return replaceIn(where, [&](int temporary) {
        const int error = copyBytes(from.get(), temporary);
        return error ? error : checkUnchanged(from.get(), sourceBefore);
    });
}

// The file that is really to be replaced, as a directory and a name in it.
int AtomicFileCopy::locate(const QByteArray& destination, NativePath& where) {
    QByteArray target;
    if (const int error = resolveLinks(destination, target))
        return error;
    where = NativePath::split(target);
    return where.name.isEmpty() ? EISDIR : 0;
}

int AtomicFileCopy::replaceIn(const NativePath& where, const Fill& fill) {
    Descriptor directory(fs_, retryInterrupted([&] {
                             return fs_.open(where.directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                         }));
    if (!directory.isOpen())
        return errno;
    return copyInto(directory.get(), where.name, fill);
}

// Only a regular file has an end: a device in the source's place could fill the disk.
int AtomicFileCopy::checkRegularFile(int fd, struct stat& status) {
    if (fs_.fstatat(fd, "", &status, AT_EMPTY_PATH) < 0)
        return errno;
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    return S_ISREG(status.st_mode) ? 0 : EINVAL;
}

// Follows the destination through symbolic links to the file that is really to be replaced.
// A link to a file that does not exist yet names the file to create.
int AtomicFileCopy::resolveLinks(QByteArray path, QByteArray& target) {
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        char link[PATH_MAX];
        const ssize_t length = fs_.readlink(path.constData(), link, sizeof link);
        if (length < 0) {
            if (errno != EINVAL && errno != ENOENT)
                return errno;
            target = path;
            return 0;
        }
        if (size_t(length) >= sizeof link)
            return ENAMETOOLONG;
        const QByteArray pointsTo(link, length);
        path = pointsTo.startsWith('/') ? pointsTo : NativePath::split(path).directory + '/' + pointsTo;
    }
    return ELOOP;
}

int AtomicFileCopy::copyInto(int directory, const QByteArray& name, const Fill& fill) {
    struct stat replaced {};
    bool replacing = fs_.fstatat(directory, name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT)
        return errno;
    if (replacing && S_ISDIR(replaced.st_mode))
        return EISDIR;
    // Renaming over a file only needs the folder to be writable; a file its owner made read-only stays so,
    // as it would for any program that writes into it.
    if (replacing && fs_.faccessat(directory, name.constData(), W_OK, AT_EACCESS) < 0)
        return errno;

    QByteArray temporaryName;
    int fd = -1;
    if (const int error =
            createTemporary(directory, replacing ? privateMode : defaultMode, temporaryName, fd))
        return error;
    Descriptor temporary(fs_, fd);
    int error = fill(temporary.get());
    if (!error && replacing && fs_.fchmod(temporary.get(), replaced.st_mode & 07777) < 0)
        error = errno;
    if (!error && fs_.fsync(temporary.get()) < 0)
        error = errno;
    if (!error && replacing)
        keepReplaced(directory, name);
    if (!error && fs_.renameat(directory, temporaryName.constData(), directory, name.constData()) < 0)
        error = errno;
    if (error) {
        fs_.unlinkat(directory, temporaryName.constData(), 0);
        return error;
    }
    return closeAfterRename(temporary, directory);
}

// The source's size and times before and after: a write to it in between changes at least one of them.
int AtomicFileCopy::checkUnchanged(int source, const struct stat& before) {
    struct stat after {};
    if (fs_.fstatat(source, "", &after, AT_EMPTY_PATH) < 0)
        return errno;
    const bool same = before.st_size == after.st_size && sameTime(before.st_mtim, after.st_mtim) &&
                      sameTime(before.st_ctim, after.st_ctim);
    return same ? 0 : sourceChanged;
}

// Closing gives up the temporary file's lock, which until the rename kept other copies' clean-up away.
int AtomicFileCopy::closeAfterRename(Descriptor& temporary, int directory) {
    const int closed = temporary.closeChecked() < 0 ? errno : 0;
    const int synced = syncDirectory(fs_, directory);
    return closed ? closed : synced;
}

// The safety net: the copy never fails because the old file could not be kept.
void AtomicFileCopy::keepReplaced(int directory, const QByteArray& name) {
    if (trash_)
        trash_->keep(directory, name);
}

int AtomicFileCopy::createTemporary(int directory, mode_t mode, QByteArray& name, int& fd) {
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        name = TemporaryName::make();
        fd = retryInterrupted([&] {
            return fs_.openat(directory, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        });
        if (fd < 0 && errno != EEXIST)
            return errno;
        if (fd < 0)
            continue;
        // EAGAIN: a clean-up got there first and takes the file away; another name will do.
        const int error = TemporaryLock::take(fs_, directory, name, fd);
        if (error == 0)
            return 0;
        if (error != EAGAIN)
            fs_.unlinkat(directory, name.constData(), 0);
        fs_.close(fd);
        if (error != EAGAIN)
            return error;
    }
    return EEXIST;
}

// In-kernel copying where the file systems allow it; plain reads and writes otherwise. A first answer of
// "nothing to copy" is checked by reading, since some special files report no size.
int AtomicFileCopy::copyBytes(int from, int to) {
    for (bool first = true;; first = false) {
        const ssize_t copied = retryInterrupted([&] { return fs_.copyFileRange(from, to, rangeChunk); });
        if (copied > 0)
            continue;
        if (copied == 0 && !first)
            return 0;
        if (copied < 0 && !rangeCopyUnsupported(errno))
            return errno;
        return copyByReadWrite(from, to);
    }
}

int AtomicFileCopy::copyByReadWrite(int from, int to) {
    std::vector<char> buffer(bufferSize);
    for (;;) {
        const ssize_t got = retryInterrupted([&] { return fs_.read(from, buffer.data(), buffer.size()); });
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        if (const int error = writeAll(to, buffer.data(), size_t(got)))
            return error;
    }
}

int AtomicFileCopy::writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = retryInterrupted([&] { return fs_.write(fd, data, size); });
        if (written < 0)
            return errno;
        if (written == 0)
            return EIO;
        data += written;
        size -= size_t(written);
    }
    return 0;
}
