#include "platform/safecopy/ByteCopy.h"

#include "platform/files/RetryInterrupted.h"
#include "platform/files/SameBytes.h"

#include <fcntl.h>
#include <vector>

namespace ByteCopy {

namespace {
constexpr size_t rangeChunk = size_t(1) << 20;
constexpr size_t bufferSize = size_t(256) << 10;

bool rangeCopyUnsupported(int error) {
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

StepResult write(FileSystem& fs, int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = retryInterrupted([&] { return fs.write(fd, data, size); });
        if (written < 0)
            return StepResult::fromErrno(errno);
        if (written == 0)
            return StepResult::fromErrno(EIO);
        data += written;
        size -= size_t(written);
    }
    return {};
}

StepResult copyByReadWrite(FileSystem& fs, int from, int to) {
    std::vector<char> buffer(bufferSize);
    for (;;) {
        const ssize_t got = retryInterrupted([&] { return fs.read(from, buffer.data(), buffer.size()); });
        if (got < 0)
            return StepResult::fromErrno(errno);
        if (got == 0)
            return {};
        if (StepResult written = write(fs, to, buffer.data(), size_t(got)); !written)
            return written;
    }
}

// In-kernel copying where the file systems allow it; plain reads and writes otherwise. A first answer of
// "nothing to copy" is checked by reading, since some special files report no size.
StepResult copyBytes(FileSystem& fs, int from, int to) {
    for (bool first = true;; first = false) {
        const ssize_t copied = retryInterrupted([&] { return fs.copyFileRange(from, to, rangeChunk); });
        if (copied > 0)
            continue;
        if (copied == 0 && !first)
            return {};
        if (copied < 0 && !rangeCopyUnsupported(errno))
            return StepResult::fromErrno(errno);
        return copyByReadWrite(fs, from, to);
    }
}

// The source's size and times before and after: a write to it in between changes at least one of them,
// the time of its last change even when the others are put back. A new link to it, which another running
// copy makes to keep it in the trash, changes that time as well, and its count of links: then the copy is
// read against the source once more, and whatever happened meanwhile, bytes alike are a whole version.
StepResult checkUnchanged(FileSystem& fs, int source, const struct stat& before, int copy) {
    struct stat after {};
    if (fs.fstatat(source, "", &after, AT_EMPTY_PATH) < 0)
        return StepResult::fromErrno(errno);
    const bool written = before.st_size != after.st_size || !sameTime(before.st_mtim, after.st_mtim);
    const bool changed = !sameTime(before.st_ctim, after.st_ctim);
    const bool linked = before.st_nlink != after.st_nlink;
    if (!written && (!changed || (linked && fs.lseek(source, 0, SEEK_SET) == 0 && fs.lseek(copy, 0, SEEK_SET) == 0 &&
                                  SameBytes::of(fs, source, copy))))
        return {};
    return StepResult::failure(StepResult::Kind::SourceChanged, EAGAIN,
                               QStringLiteral("Source file changed during the copy"));
}
} // namespace

StepResult checkRegularFile(FileSystem& fs, int fd, struct stat& status) {
    if (fs.fstatat(fd, "", &status, AT_EMPTY_PATH) < 0)
        return StepResult::fromErrno(errno);
    if (S_ISDIR(status.st_mode))
        return StepResult::fromErrno(EISDIR);
    return StepResult::fromErrno(S_ISREG(status.st_mode) ? 0 : EINVAL);
}

StepResult copy(FileSystem& fs, int from, const struct stat& before, int to) {
    const StepResult copied = copyBytes(fs, from, to);
    return copied ? checkUnchanged(fs, from, before, to) : copied;
}

StepResult writeAll(FileSystem& fs, int fd, const QByteArray& bytes) {
    return write(fs, fd, bytes.constData(), size_t(bytes.size()));
}

} // namespace ByteCopy
