#include "platform/files/WholeFile.h"

#include "platform/files/Descriptor.h"
#include "platform/files/RetryInterrupted.h"

#include <fcntl.h>

namespace {
constexpr qsizetype chunk = qsizetype(64) << 10;

StepValue<QByteArray> failed(int error) {
    return {{}, StepResult::fromErrno(error)};
}

StepResult refusal(const struct stat& status, qsizetype maxSize) {
    if (S_ISDIR(status.st_mode))
        return StepResult::fromErrno(EISDIR);
    if (!S_ISREG(status.st_mode))
        return StepResult::fromErrno(EINVAL);
    return StepResult::fromErrno(status.st_size > maxSize ? EFBIG : 0);
}
} // namespace

namespace WholeFile {

StepValue<QByteArray> read(FileSystem& fs, const QByteArray& path, qsizetype maxSize) {
    // Non-blocking, so that opening a pipe returns at once; it is refused below, before any read.
    Descriptor file(fs, retryInterrupted([&] {
                        return fs.open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
                    }));
    struct stat status {};
    if (!file.isOpen()) {
        StepValue<QByteArray> missing = failed(errno);
        if (missing.result.error == ENOENT &&
            fs.fstatat(AT_FDCWD, path.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0 && errno == ENOENT)
            missing.result.kind = StepResult::Kind::NotThere;
        return missing;
    }
    if (fs.fstatat(file.get(), "", &status, AT_EMPTY_PATH) < 0)
        return failed(errno);
    if (StepResult refused = refusal(status, maxSize); !refused)
        return {{}, refused};
    QByteArray bytes;
    for (;;) {
        const qsizetype used = bytes.size();
        // A file that grows while it is read is held to the same bound.
        if (used > maxSize)
            return failed(EFBIG);
        bytes.resize(used + chunk);
        const ssize_t got =
            retryInterrupted([&] { return fs.read(file.get(), bytes.data() + used, size_t(chunk)); });
        if (got < 0)
            return failed(errno);
        bytes.resize(used + got);
        if (got == 0)
            return {bytes, {}};
    }
}

} // namespace WholeFile
