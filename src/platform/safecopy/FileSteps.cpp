#include "platform/safecopy/FileSteps.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/safecopy/ByteCopy.h"
#include "platform/safecopy/DirectoryLock.h"
#include "platform/safecopy/TemporaryFile.h"
#include "platform/safecopy/TryFreshNames.h"

#include <climits>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {
constexpr int maxLinkHops = 40;      // the kernel's own limit for one lookup
constexpr int copyAttempts = 2;      // a source rewritten during both is left alone
constexpr mode_t defaultMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t privateMode = 0600; // until the replaced file's bits are set

// What a rename in one folder displaces: nothing when the source is missing or keeps its name, the file
// itself when two names are links of one file (which rename(2) would leave as they are). Where that cannot be
// told, another: a kept file too many costs nothing.
enum class Displaced { Another, Nothing, Itself };

Displaced displacedByRename(FileSystem& fs, int directory, const QByteArray& from, const QByteArray& to) {
    if (from == to)
        return Displaced::Nothing;
    struct stat source {};
    struct stat target {};
    if (fs.fstatat(directory, from.constData(), &source, AT_SYMLINK_NOFOLLOW) < 0)
        return errno == ENOENT ? Displaced::Nothing : Displaced::Another;
    if (fs.fstatat(directory, to.constData(), &target, AT_SYMLINK_NOFOLLOW) < 0)
        return Displaced::Another;
    return source.st_dev == target.st_dev && source.st_ino == target.st_ino ? Displaced::Itself
                                                                            : Displaced::Another;
}

// A rename fails at its new name when that name cannot be one, else at the file it moves.
bool newNameAtFault(int error) {
    return error == ENAMETOOLONG || error == EEXIST || error == ENOTEMPTY || error == EISDIR ||
           error == ENOTDIR;
}

dev_t deviceOf(FileSystem& fs, int directory) {
    struct stat status {};
    return fs.fstatat(directory, "", &status, AT_EMPTY_PATH) == 0 ? status.st_dev : dev_t(-1);
}
} // namespace

StepResult FileSteps::copy(const FilePlace& source, const FilePlace& destination, const AskBeforeLoss& ask) {
    const Descriptor sourceDirectory(fs_, Directory::open(fs_, source.directory));
    if (!sourceDirectory.isOpen())
        return StepResult::fromErrno(errno).about(source.path());
    return replaceWith(
        destination, [&](int temporary) { return copyFrom(source, sourceDirectory.get(), temporary); }, ask);
}

StepResult FileSteps::write(const FilePlace& destination, const QByteArray& bytes) {
    return replaceWith(destination, [&](int temporary) { return ByteCopy::writeAll(fs_, temporary, bytes); },
                       {});
}

StepResult FileSteps::copyToFreshName(const FilePlace& source, const FilePlace& stem) {
    const Descriptor directory(fs_, Directory::open(fs_, stem.directory, O_PATH));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno).about(stem.directory);
    return tryFreshNames(
        [&](int attempt) { return attempt == 0 ? stem.name : stem.name + '-' + QByteArray::number(attempt); },
        [&](const QByteArray& name) -> std::optional<StepResult> {
            struct stat status {};
            // Even a dangling link takes the name.
            if (fs_.fstatat(directory.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                return std::nullopt;
            if (errno != ENOENT)
                return StepResult::fromErrno(errno).about(FilePlace{stem.directory, name}.path());
            return FileSteps(fs_).copy(source, {stem.directory, name});
        });
}

StepResult FileSteps::remove(const FilePlace& file, const AskBeforeLoss& ask) {
    const Descriptor directory(fs_, Directory::open(fs_, file.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno).about(file.path());
    return displace(directory.get(), file, ask, {directory.get(), file.name, {}}, {});
}

StepResult FileSteps::rename(const FilePlace& file, const QByteArray& newName, const AskBeforeLoss& ask) {
    const Descriptor directory(fs_, Directory::open(fs_, file.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno).about(file.path());
    return displace(directory.get(), {file.directory, newName}, ask,
                    {directory.get(), file.name, newName, true}, {});
}

StepResult FileSteps::restore(const TrashEntry& version, const FilePlace& destination,
                              const AskBeforeLoss& ask) {
    const QByteArray kept = version.files() + '/' + version.name;
    const Descriptor files(fs_, Directory::open(fs_, version.files(), O_NOFOLLOW));
    if (!files.isOpen())
        return StepResult::failure(StepResult::Kind::NotThere, ENOENT, QString()).about(kept);
    // As for a copy, a destination that is a symbolic link keeps the link.
    FilePlace where = destination;
    int whereFd = -1;
    const StepResult located = locate(where, whereFd);
    const Descriptor directory(fs_, whereFd);
    if (!located)
        return located.about(destination.path());
    if (deviceOf(fs_, files.get()) == deviceOf(fs_, directory.get()))
        return displace(directory.get(), where, ask, {files.get(), version.name, where.name}, version);
    return replaceWith(
        where,
        [&](int temporary) {
            const StepResult copied = copyFrom({version.files(), version.name}, files.get(), temporary);
            // Another running copy may have restored it since it was picked.
            if (copied.is(StepResult::Kind::System) && copied.error == ENOENT)
                return StepResult::failure(StepResult::Kind::NotThere, ENOENT, QString()).about(kept);
            return copied;
        },
        ask, version);
}

StepValue<QList<TrashedVersion>> FileSteps::versionsOf(const FilePlace& file,
                                                       const QList<QByteArray>& folders) {
    if (!trash_)
        return {};
    return trash_->versionsOf(file, folders);
}

// Looking needs no right to read the folder, only to pass through it, as for a whole path.
StepResult FileSteps::exists(const FilePlace& file) {
    const Descriptor directory(fs_, Directory::open(fs_, file.directory, O_PATH));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno).about(file.path());
    struct stat status {};
    const bool found = fs_.fstatat(directory.get(), file.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    return StepResult::fromErrno(found ? 0 : errno).about(file.path());
}

void FileSteps::removeLeftovers(const QList<QByteArray>& folders) {
    for (const QByteArray& folder : folders)
        TemporaryFile::removeLeftovers(fs_, folder);
    if (trash_)
        trash_->removeLeftovers(folders);
}

// The new content goes to a temporary file beside the destination, locked from its creation so that no
// clean-up takes it away, synced, and then renamed over the destination. Bytes read while the source was
// rewritten may belong to neither version: they are filled in once more, then given up.
StepResult FileSteps::replaceWith(const FilePlace& destination, const Fill& fill, const AskBeforeLoss& ask,
                                  const TrashEntry& leaving) {
    FilePlace where = destination;
    int fd = -1;
    const StepResult located = locate(where, fd);
    const Descriptor directory(fs_, fd);
    if (!located)
        return located.about(destination.path());
    const QByteArray path = where.path();
    struct stat replaced {};
    const bool replacing = fs_.fstatat(fd, where.name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT)
        return StepResult::fromErrno(errno).about(path);
    if (replacing && S_ISDIR(replaced.st_mode))
        return StepResult::fromErrno(EISDIR).about(path);
    // Renaming over a file only needs the folder to be writable; a file its owner made read-only stays so,
    // as it would for any program that writes into it.
    if (replacing && fs_.faccessat(fd, where.name.constData(), W_OK, AT_EACCESS) < 0)
        return StepResult::fromErrno(errno).about(path);

    StepResult result;
    for (int attempt = 0; attempt < copyAttempts; ++attempt) {
        QByteArray temporaryName;
        int temporaryFd = -1;
        result =
            TemporaryFile::create(fs_, fd, replacing ? privateMode : defaultMode, temporaryName, temporaryFd);
        if (!result)
            return result.about(path);
        Descriptor temporary(fs_, temporaryFd);
        result = fill(temporary.get());
        const bool sourceChanged = result.is(StepResult::Kind::SourceChanged);
        if (result && replacing && fs_.fchmod(temporary.get(), replaced.st_mode & 07777) < 0)
            result = StepResult::fromErrno(errno);
        if (result && fs_.fsync(temporary.get()) < 0)
            result = StepResult::fromErrno(errno);
        if (result)
            result = displace(fd, where, ask, {fd, temporaryName, where.name}, leaving);
        if (result || result.is(StepResult::Kind::NotDurable)) {
            // Closing gives up the temporary file's lock, which until the rename kept clean-ups away.
            const StepResult closed = temporary.closeChecked();
            return closed ? result
                          : StepResult{StepResult::Kind::NotDurable, closed.error, closed.reason, path};
        }
        fs_.unlinkat(fd, temporaryName.constData(), 0);
        if (!sourceChanged)
            break;
    }
    return result.about(path);
}

// What the change displaces is looked at, and kept, only under the folder's lock: another running copy
// cannot slip its own version in between. A version leaving the trash is checked to be still there under
// the same lock, so that of two copies restoring it only one succeeds.
StepResult FileSteps::displace(int directory, const FilePlace& displaced, const AskBeforeLoss& ask,
                               const Change& change, const TrashEntry& leaving) {
    const QByteArray path = displaced.path();
    {
        const DirectoryLock lock(fs_, directory);
        if (!lock.result())
            return lock.result().about(path);
        if (!leaving.name.isEmpty() && !trash_->holds(leaving))
            return StepResult::failure(StepResult::Kind::NotThere, ENOENT, QString())
                .about(leaving.files() + '/' + leaving.name);
        TrashEntry kept;
        const Displaced displacing =
            change.renames ? displacedByRename(fs_, directory, change.from, change.to) : Displaced::Another;
        if (displacing == Displaced::Another && trash_) {
            const StepResult trashed = trash_->trash(directory, displaced, kept);
            const bool agreed = trashed.is(StepResult::Kind::NotTrashable) && ask && ask(trashed);
            if (!trashed && !agreed)
                return trashed.about(path);
        }
        // A file of two names keeps the new one.
        const int changed = change.to.isEmpty() || displacing == Displaced::Itself
                                ? fs_.unlinkat(directory, change.from.constData(), 0)
                                : fs_.renameat(change.fromDirectory, change.from.constData(), directory,
                                               change.to.constData());
        if (changed < 0) {
            const int error = errno;
            if (trash_)
                trash_->untrash(kept);
            if (change.fromDirectory != directory && error == ENOENT)
                return StepResult::failure(StepResult::Kind::NotThere, error, QString())
                    .about(leaving.files() + '/' + leaving.name);
            const bool fromAtFault = change.renames && !newNameAtFault(error);
            return StepResult::fromErrno(error).about(
                fromAtFault ? FilePlace{displaced.directory, change.from}.path() : path);
        }
        if (!leaving.name.isEmpty())
            trash_->untrash(leaving);
    }
    const StepResult synced = Directory::sync(fs_, directory);
    if (synced)
        return {};
    return {StepResult::Kind::NotDurable, synced.error, synced.reason, path};
}

// Follows where through symbolic links to the file that is really to be replaced, and opens its directory.
// A link to a file that does not exist yet names the file to create.
StepResult FileSteps::locate(FilePlace& where, int& directory) {
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

// Non-blocking, so that a pipe in the source's place cannot hang the program; it is refused before a read.
StepResult FileSteps::copyFrom(const FilePlace& source, int directory, int temporary) {
    const Descriptor from(fs_, retryInterrupted([&] {
                              return fs_.openat(directory, source.name.constData(),
                                                O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
                          }));
    if (!from.isOpen())
        return StepResult::fromErrno(errno).about(source.path());
    struct stat before {};
    StepResult copied = ByteCopy::checkRegularFile(fs_, from.get(), before);
    if (copied)
        copied = ByteCopy::copy(fs_, from.get(), before, temporary);
    return copied.about(source.path());
}
