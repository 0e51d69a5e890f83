#include "props/BagStore.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/DirectoryReader.h"
#include "platform/safecopy/AtomicFileCopy.h"
#include "platform/safecopy/DirectoryLock.h"
#include "platform/safecopy/TemporaryFile.h"
#include "platform/safecopy/TrashKeeper.h"
#include "props/BagPaths.h"

#include <QFile>
#include <fcntl.h>

namespace {
const QByteArray bagSuffix = BagPaths::bagExtension.toLatin1();

bool isBagName(const QByteArray& name) {
    return name.endsWith(bagSuffix);
}

} // namespace

BagStore::BagStore(FileSystem& fs, TrashOwner trash) : fs_(fs), trash_(fs, std::move(trash)) {}

StepResult BagStore::copyFile(const FilePlace& source, const FilePlace& destination,
                              PermanentDelete consent) {
    TrashKeeper keeper(trash_, consent);
    return AtomicFileCopy(fs_, &keeper).copy(source, destination);
}

StepResult BagStore::deleteFile(const FilePlace& file, PermanentDelete consent) {
    Descriptor directory(fs_, Directory::open(fs_, file.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    {
        const DirectoryLock lock(fs_, directory.get());
        if (!lock.result())
            return lock.result();
        TrashKeeper keeper(trash_, consent);
        if (StepResult kept = keeper.keep(directory.get(), file); !kept)
            return kept;
        if (fs_.unlinkat(directory.get(), file.name.constData(), 0) < 0) {
            const StepResult failed = StepResult::fromErrno(errno);
            keeper.giveBack();
            return failed;
        }
    }
    return Directory::sync(fs_, directory.get());
}

StepResult BagStore::renameFile(const FilePlace& file, const QByteArray& newName, PermanentDelete consent) {
    Descriptor directory(fs_, Directory::open(fs_, file.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    {
        const DirectoryLock lock(fs_, directory.get());
        if (!lock.result())
            return lock.result();
        TrashKeeper keeper(trash_, consent);
        if (replacesAnother(directory.get(), file.name, newName))
            if (StepResult kept = keeper.keep(directory.get(), {file.directory, newName}); !kept)
                return kept;
        if (fs_.renameat(directory.get(), file.name.constData(), directory.get(), newName.constData()) < 0) {
            const StepResult failed = StepResult::fromErrno(errno);
            keeper.giveBack();
            return failed;
        }
    }
    return Directory::sync(fs_, directory.get());
}

// Not when the source is missing (nothing is replaced then) or both names are one file, which the rename
// leaves as it is. Where that cannot be told, the file is kept: a kept file too many costs nothing.
bool BagStore::replacesAnother(int directory, const QByteArray& from, const QByteArray& to) {
    struct stat source {};
    struct stat target {};
    if (fs_.fstatat(directory, from.constData(), &source, AT_SYMLINK_NOFOLLOW) < 0)
        return errno != ENOENT;
    return fs_.fstatat(directory, to.constData(), &target, AT_SYMLINK_NOFOLLOW) < 0 ||
           source.st_dev != target.st_dev || source.st_ino != target.st_ino;
}

// Looking needs no right to read the directory, only to pass through it, as for a whole path.
StepResult BagStore::exists(const FilePlace& file) const {
    const Descriptor directory(fs_, Directory::open(fs_, file.directory, O_PATH));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    struct stat status {};
    return StepResult::fromErrno(
        fs_.fstatat(directory.get(), file.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno);
}

StepValue<BagNames> BagStore::listBags(const QString& directory) const {
    StepValue<BagNames> listing;
    const QByteArray path = QFile::encodeName(directory);
    // Most file systems give a directory the size its entries take: room for the names is made once,
    // rather than grown and copied while a large folder is read.
    struct stat folder {};
    if (fs_.fstatat(AT_FDCWD, path.constData(), &folder, 0) == 0)
        listing.value.reserve(qsizetype(folder.st_size));
    listing.result = DirectoryReader::regularFiles(fs_, path, isBagName, DirectoryReader::Links::Follow,
                                                   [&](QByteArrayView name) { listing.value.append(name); });
    listing.value.sortForReading();
    return listing;
}

void BagStore::removeLeftoverTemporaries(const QString& directory) {
    TemporaryFile::removeLeftovers(fs_, QFile::encodeName(directory));
}

void BagStore::removeLeftoversAtStart(const QString& programDirectory, const QString& palaceDirectory) {
    removeLeftoverTemporaries(programDirectory);
    const QByteArray palaceFolder = BagPaths::liveFile(palaceDirectory).directory;
    TemporaryFile::removeLeftovers(fs_, palaceFolder);
    trash_.removeLeftovers({QFile::encodeName(programDirectory), palaceFolder});
}
