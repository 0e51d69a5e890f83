#include "props/BagStore.h"

#include "platform/AtomicFileCopy.h"
#include "platform/Descriptor.h"
#include "platform/NativePath.h"
#include "platform/RegularFileNames.h"
#include "platform/SystemCall.h"
#include "platform/TemporaryLock.h"
#include "props/BagPaths.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <utility>

namespace {
const QByteArray bagSuffix = BagPaths::bagExtension.toLatin1();

bool isBagName(const QByteArray& name) {
    return name.endsWith(bagSuffix);
}

int openDirectory(FileSystem& fs, const QByteArray& path) {
    return retryInterrupted([&] { return fs.open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
}

// Case-blind first, so that "a.prp" and "B.prp" sit where a reader expects them; exact case breaks ties.
// The folded keys are made once per name: folding inside every comparison is most of the time spent
// listing thousands of bags.
QStringList sortedForReading(const QList<QByteArray>& names) {
    QList<std::pair<QString, QString>> keyed;
    keyed.reserve(names.size());
    for (const QByteArray& name : names) {
        QString decoded = QFile::decodeName(name);
        keyed.append({decoded.toCaseFolded(), std::move(decoded)});
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList sorted;
    sorted.reserve(keyed.size());
    for (auto& [folded, name] : keyed)
        sorted.append(std::move(name));
    return sorted;
}
} // namespace

BagStore::BagStore(FileSystem& fs, TrashOwner trash) : fs_(fs), trash_(fs, std::move(trash)) {}

StepResult BagStore::copyFile(const QString& source, const QString& destination) {
    return AtomicFileCopy(fs_, &trash_).copy(QFile::encodeName(source), QFile::encodeName(destination));
}

StepResult BagStore::deleteFile(const QString& path) {
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

StepResult BagStore::renameFile(const QString& from, const QString& to) {
    const NativePath where = NativePath::split(to);
    Descriptor directory(fs_, openDirectory(fs_, where.directory));
    if (!directory.isOpen())
        return StepResult::fromErrno(errno);
    const QByteArray source = QFile::encodeName(from);
    keepBagReplacedBy(source, directory.get(), where.name);
    if (fs_.renameat(AT_FDCWD, source.constData(), directory.get(), where.name.constData()) < 0)
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

BagListing BagStore::listBags(const QString& directory) const {
    QList<QByteArray> names;
    const int error = RegularFileNames::list(fs_, QFile::encodeName(directory), isBagName,
                                             RegularFileNames::Links::Follow, names);
    return {sortedForReading(names), StepResult::fromErrno(error)};
}

void BagStore::removeLeftoverTemporaries(const QString& directory) {
    TemporaryLock::removeLeftovers(fs_, QFile::encodeName(directory));
}

void BagStore::removeLeftoversAtStart(const QString& programDirectory, const QString& palaceDirectory) {
    removeLeftoverTemporaries(programDirectory);
    TemporaryLock::removeLeftovers(fs_, NativePath::split(BagPaths::liveFile(palaceDirectory)).directory);
}
