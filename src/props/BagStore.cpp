#include "props/BagStore.h"

#include "platform/AtomicFileCopy.h"
#include "platform/Descriptor.h"
#include "platform/NativePath.h"
#include "platform/RegularFileNames.h"
#include "platform/SystemCall.h"
#include "platform/TemporaryLock.h"
#include "props/BagPaths.h"

#include <QFile>
#include <fcntl.h>

namespace {
const QByteArray bagSuffix = BagPaths::bagExtension.toLatin1();

bool isBagName(const QByteArray& name) {
    return name.endsWith(bagSuffix);
}

int openDirectory(FileSystem& fs, const QByteArray& path) {
    return retryInterrupted([&] { return fs.open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
}

} // namespace

BagStore::BagStore(FileSystem& fs, TrashOwner trash) : fs_(fs), trash_(fs, std::move(trash)) {}

StepResult BagStore::copyFile(const QByteArray& source, const QByteArray& destination,
                              [[maybe_unused]] PermanentDelete consent) {
    return AtomicFileCopy(fs_, &trash_).copy(source, destination);
}

StepResult BagStore::deleteFile(const QByteArray& path, [[maybe_unused]] PermanentDelete consent) {
    const NativePath where = NativePath::split(path);
    Descriptor directory(fs_, openDirectory(fs_, where.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    // Where no trash takes the bag, it is deleted as it always was.
    if (!trash_.moveIn(directory.get(), where.name) &&
        fs_.unlinkat(directory.get(), where.name.constData(), 0) < 0)
        return StepResult::fromErrno(errno);
    return StepResult::fromErrno(syncDirectory(fs_, directory.get()));
}

StepResult BagStore::renameFile(const QByteArray& from, const QByteArray& to,
                                [[maybe_unused]] PermanentDelete consent) {
    const NativePath where = NativePath::split(to);
    Descriptor directory(fs_, openDirectory(fs_, where.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    keepBagReplacedBy(from, directory.get(), where.name);
    if (fs_.renameat(AT_FDCWD, from.constData(), directory.get(), where.name.constData()) < 0)
        return StepResult::fromErrno(errno);
    return StepResult::fromErrno(syncDirectory(fs_, directory.get()));
}

// Not when the source is missing (nothing is replaced then) or both names are one file, which the rename
// leaves as it is.
void BagStore::keepBagReplacedBy(const QByteArray& source, int directory, const QByteArray& name) {
    struct stat from {};
    struct stat to {};
    if (fs_.fstatat(AT_FDCWD, source.constData(), &from, AT_SYMLINK_NOFOLLOW) == 0 &&
        fs_.fstatat(directory, name.constData(), &to, AT_SYMLINK_NOFOLLOW) == 0 &&
        (from.st_dev != to.st_dev || from.st_ino != to.st_ino))
        trash_.keep(directory, name);
}

StepResult BagStore::exists(const QByteArray& path) const {
    struct stat status {};
    return StepResult::fromErrno(
        fs_.fstatat(AT_FDCWD, path.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno);
}

BagListing BagStore::listBags(const QString& directory) const {
    BagListing listing;
    const QByteArray path = QFile::encodeName(directory);
    // Most file systems give a directory the size its entries take: room for the names is made once,
    // rather than grown and copied while a large folder is read.
    struct stat folder {};
    if (fs_.fstatat(AT_FDCWD, path.constData(), &folder, 0) == 0)
        listing.names.reserve(qsizetype(folder.st_size));
    const int error = RegularFileNames::visit(fs_, path, isBagName, RegularFileNames::Links::Follow,
                                              [&](QByteArrayView name) { listing.names.append(name); });
    listing.names.sortForReading();
    listing.result = StepResult::fromErrno(error);
    return listing;
}

void BagStore::removeLeftoverTemporaries(const QString& directory) {
    TemporaryLock::removeLeftovers(fs_, QFile::encodeName(directory));
}

void BagStore::removeLeftoversAtStart(const QString& programDirectory, const QString& palaceDirectory) {
    removeLeftoverTemporaries(programDirectory);
    TemporaryLock::removeLeftovers(fs_, NativePath::split(BagPaths::liveFile(palaceDirectory)).directory);
}
