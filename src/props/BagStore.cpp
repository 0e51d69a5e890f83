#include "props/BagStore.h"

#include "platform/files/DirectoryReader.h"
#include "platform/files/SameBytes.h"
#include "props/BagPaths.h"

namespace {
bool isBagName(const QByteArray& name) {
    return name.endsWith(BagPaths::bagExtension);
}
} // namespace

BagStore::BagStore(FileSystem& fs, FileSteps& steps, QByteArray programDirectory)
    : fs_(fs), steps_(steps), directory_(std::move(programDirectory)) {}

StepResult BagStore::save(const FilePlace& liveFile, const BagName& bag, const AskBeforeLoss& ask) {
    return steps_.copy(liveFile, place(bag), ask);
}

StepResult BagStore::load(const BagName& bag, const FilePlace& liveFile, const AskBeforeLoss& ask) {
    return steps_.copy(place(bag), liveFile, ask);
}

StepResult BagStore::remove(const BagName& bag, const AskBeforeLoss& ask) {
    return steps_.remove(place(bag), ask);
}

StepResult BagStore::rename(const BagName& bag, const BagName& newName, const AskBeforeLoss& ask) {
    if (newName == bag)
        return exists(bag);
    return steps_.rename(place(bag), newName.bytes(), ask);
}

StepResult BagStore::exists(const BagName& bag) const {
    return steps_.exists(place(bag));
}

StepValue<BagNames> BagStore::list() const {
    StepValue<BagNames> listing;
    // Room for the names is made once, rather than grown and copied while a large folder is read.
    listing.value.reserve(DirectoryReader::sizeOf(fs_, directory_));
    listing.result = DirectoryReader::regularFiles(fs_, directory_, isBagName, DirectoryReader::Links::Follow,
                                                   [&](QByteArrayView name) { listing.value.append(name); });
    listing.value.sortForReading();
    return listing;
}

void BagStore::removeLeftovers(const FilePlace& liveFile) {
    steps_.removeLeftovers({directory_, liveFile.directory});
}

QList<BagStatus> BagStore::statuses(const BagNames& names, const FilePlace& liveFile) const {
    return statuses(names, liveFile, 0, names.size());
}

QList<BagStatus> BagStore::statuses(const BagNames& names, const FilePlace& liveFile, qsizetype first,
                                    qsizetype end) const {
    const StepValue<struct stat> live = DirectoryReader::statusOf(fs_, liveFile);
    QList<BagStatus> found(end - first);
    for (qsizetype row = first; row < end; ++row) {
        const FilePlace bag{directory_, names.fileName(row)};
        const StepValue<struct stat> status = DirectoryReader::statusOf(fs_, bag);
        if (!status)
            continue;
        found[row - first] = {qint64(status.value.st_size), status.value.st_mtim,
                              live && status.value.st_size == live.value.st_size &&
                                  SameBytes::of(fs_, bag, liveFile)};
    }
    return found;
}

StepValue<QList<TrashedVersion>> BagStore::versionsOf(const FilePlace& file,
                                                      const FilePlace& liveFile) const {
    return steps_.versionsOf(file, {directory_, liveFile.directory});
}

QList<qsizetype> BagStore::copiesOf(const TrashedVersion& version, const BagNames& names,
                                    const QList<BagStatus>& statuses) const {
    QList<qsizetype> rows;
    const FilePlace kept{version.entry.files(), version.entry.name};
    for (qsizetype row = 0; row < names.size(); ++row)
        if (statuses[row].size == version.size && SameBytes::of(fs_, {directory_, names.fileName(row)}, kept))
            rows.append(row);
    return rows;
}

StepResult BagStore::restore(const TrashedVersion& version, const FilePlace& destination,
                             const AskBeforeLoss& ask) {
    return steps_.restore(version.entry, destination, ask);
}
