#include "platform/safecopy/TemporaryFile.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/DirectoryReader.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/safecopy/TryFreshNames.h"

#include <QList>
#include <QRandomGenerator>
#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>

namespace TemporaryFile {

namespace {
constexpr char prefix[] = ".stowbox-";
constexpr char suffix[] = ".tmp";
constexpr qsizetype randomLength = 6;
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isAlphanumeric(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Locks fd, opened on name in directory. Fails with EAGAIN when someone else holds it or name has gone or
// is another file.
StepResult lock(FileSystem& fs, int directory, const QByteArray& name, int fd) {
    if (retryInterrupted([&] { return fs.flock(fd, LOCK_EX | LOCK_NB); }) < 0)
        return StepResult::fromErrno(errno == EWOULDBLOCK ? EAGAIN : errno);
    struct stat held {};
    struct stat named {};
    if (fs.fstatat(fd, "", &held, AT_EMPTY_PATH) < 0)
        return StepResult::fromErrno(errno);
    if (fs.fstatat(directory, name.constData(), &named, AT_SYMLINK_NOFOLLOW) < 0)
        return StepResult::fromErrno(errno == ENOENT ? EAGAIN : errno);
    return StepResult::fromErrno(held.st_dev == named.st_dev && held.st_ino == named.st_ino ? 0 : EAGAIN);
}

void removeIfNobodyHolds(FileSystem& fs, int directory, const QByteArray& name) {
    // Non-blocking, so that a pipe put in its place cannot hang the start.
    Descriptor file(fs, retryInterrupted([&] {
                        return fs.openat(directory, name.constData(),
                                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
                    }));
    if (file.isOpen() && lock(fs, directory, name, file.get()))
        fs.unlinkat(directory, name.constData(), 0);
}
} // namespace

QByteArray makeName() {
    QByteArray name(prefix);
    for (qsizetype i = 0; i < randomLength; ++i)
        name += alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return name + suffix;
}

bool isOurs(const QByteArray& name) {
    const qsizetype length = qsizetype(sizeof prefix - 1) + randomLength + qsizetype(sizeof suffix - 1);
    if (name.size() != length || !name.startsWith(prefix) || !name.endsWith(suffix))
        return false;
    const QByteArray random = name.mid(sizeof prefix - 1, randomLength);
    return std::all_of(random.begin(), random.end(), isAlphanumeric);
}

StepResult create(FileSystem& fs, int directory, mode_t mode, QByteArray& name, int& fd) {
    const auto take = [&](const QByteArray& candidate) -> std::optional<StepResult> {
        name = candidate;
        fd = retryInterrupted([&] {
            return fs.openat(directory, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        });
        if (fd < 0 && errno != EEXIST)
            return StepResult::fromErrno(errno);
        if (fd < 0)
            return std::nullopt;
        // EAGAIN: a clean-up got there first and takes the file away; another name will do.
        const StepResult locked = lock(fs, directory, name, fd);
        if (locked)
            return StepResult{};
        const bool takenAway = locked.error == EAGAIN;
        if (!takenAway)
            fs.unlinkat(directory, name.constData(), 0);
        fs.close(fd);
        fd = -1;
        if (takenAway)
            return std::nullopt;
        return locked;
    };
    return tryFreshNames([](int) { return makeName(); }, take);
}

void removeLeftovers(FileSystem& fs, const QByteArray& directory,
                     const std::function<bool(int directory, const QByteArray& name)>& spare) {
    QList<QByteArray> leftovers;
    DirectoryReader::regularFiles(fs, directory, isOurs, DirectoryReader::Links::Skip,
                                  [&](QByteArrayView name) { leftovers.append(name.toByteArray()); });
    if (leftovers.isEmpty())
        return;
    Descriptor folder(fs, Directory::open(fs, directory));
    if (!folder.isOpen())
        return;
    for (const QByteArray& name : leftovers)
        if (!spare || !spare(folder.get(), name))
            removeIfNobodyHolds(fs, folder.get(), name);
    Directory::sync(fs, folder.get());
}

} // namespace TemporaryFile
