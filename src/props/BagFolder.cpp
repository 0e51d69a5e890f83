#include "props/BagFolder.h"

#include "props/BagPaths.h"

BagFolder::BagFolder(BagStore& store, const QString& programDirectory)
    : store_(store), directory_(programDirectory) {}

StepResult BagFolder::save(const QByteArray& liveFile, const BagName& bag, PermanentDelete consent) {
    return store_.copyFile(liveFile, path(bag), consent);
}

StepResult BagFolder::load(const BagName& bag, const QByteArray& liveFile, PermanentDelete consent) {
    return store_.copyFile(path(bag), liveFile, consent);
}

StepResult BagFolder::remove(const BagName& bag, PermanentDelete consent) {
    return store_.deleteFile(path(bag), consent);
}

StepResult BagFolder::rename(const BagName& bag, const BagName& newName, PermanentDelete consent) {
    if (newName == bag)
        return exists(bag);
    return store_.renameFile(path(bag), path(newName), consent);
}

StepResult BagFolder::exists(const BagName& bag) const {
    return store_.exists(path(bag));
}

BagListing BagFolder::list() const {
    return store_.listBags(directory_);
}

QString BagFolder::shownPath(const BagName& bag) const {
    return BagPaths::shown(path(bag));
}

QByteArray BagFolder::path(const BagName& bag) const {
    return BagPaths::bag(directory_, bag.bytes());
}
