#include "platform/safecopy/TemporaryLock.h"

#include "platform/files/Descriptor.h"
#include "platform/files/RegularFileNames.h"
#include "platform/files/SystemCall.h"
#include "platform/safecopy/TemporaryName.h"

#include <QList>
#include <fcntl.h>
#include <sys/file.h>

namespace TemporaryLock {

namespace {
constexpr int maxNameAttempts = 100;

void removeIfNobodyHolds(FileSystem& fs, int directory, const QByteArray& name) {
    // Non-blocking, so that a pipe put in its place cannot hang the start.
    Descriptor file(fs, retryInterrupted([&] {
                        return fs.openat(directory, name.constData(),
                                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
                    }));
    if (file.isOpen() && take(fs, directory, name, file.get()) == 0)
        fs.unlinkat(directory, name.constData(), 0);
}
} // namespace

int take(FileSystem& fs, int directory, const QByteArray& name, int fd) {
    if (retryInterrupted([&] { return fs.flock(fd, LOCK_EX | LOCK_NB); }) < 0)
        return errno == EWOULDBLOCK ? EAGAIN : errno;
    struct stat held {};
    struct stat named {};
    if (fs.fstatat(fd, "", &held, AT_EMPTY_PATH) < 0)
        return errno;
    if (fs.fstatat(directory, name.constData(), &named, AT_SYMLINK_NOFOLLOW) < 0)
        return errno == ENOENT ? EAGAIN : errno;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino ? 0 : EAGAIN;
}

StepResult create(FileSystem& fs, int directory, mode_t mode, QByteArray& name, int& fd) {
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        name = TemporaryName::make();
        fd = retryInterrupted([&] {
            return fs.openat(directory, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        });
        if (fd < 0 && errno != EEXIST)
            return StepResult::fromErrno(errno);
        if (fd < 0)
            continue;
        // EAGAIN: a clean-up got there first and takes the file away; another name will do.
        const int error = take(fs, directory, name, fd);
        if (error == 0)
            return {};
        if (error != EAGAIN)
            fs.unlinkat(directory, name.constData(), 0);
        fs.close(fd);
        fd = -1;
        if (error != EAGAIN)
            return StepResult::fromErrno(error);
    }
    return StepResult::fromErrno(EEXIST);
}

void removeLeftovers(FileSystem& fs, const QByteArray& directory,
                     const std::function<bool(int directory, const QByteArray& name)>& spare) {
    QList<QByteArray> leftovers;
    RegularFileNames::list(fs, directory, TemporaryName::isOurs, RegularFileNames::Links::Skip, leftovers);
    if (leftovers.isEmpty())
        return;
    Descriptor folder(fs, retryInterrupted([&] {
                          return fs.open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                      }));
    if (!folder.isOpen())
        return;
    for (const QByteArray& name : leftovers)
        if (!spare || !spare(folder.get(), name))
            removeIfNobodyHolds(fs, folder.get(), name);
    syncDirectory(fs, folder.get());
}

} // namespace TemporaryLock
