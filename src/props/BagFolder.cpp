#include "props/BagFolder.h"

#include "props/BagPaths.h"

#include <QDir>
#include <QFile>

BagFolder::BagFolder(BagStore& store, const QString& programDirectory)
    : store_(store), directory_(programDirectory) {}

StepResult BagFolder::save(const FilePlace& liveFile, const BagName& bag, PermanentDelete consent) {
    return store_.copyFile(liveFile, place(bag), consent);
}

StepResult BagFolder::load(const BagName& bag, const FilePlace& liveFile, PermanentDelete consent) {
    return store_.copyFile(place(bag), liveFile, consent);
}

StepResult BagFolder::remove(const BagName& bag, PermanentDelete consent) {
    return store_.deleteFile(place(bag), consent);
}

StepResult BagFolder::rename(const BagName& bag, const BagName& newName, PermanentDelete consent) {
    if (newName == bag)
        return exists(bag);
    return store_.renameFile(place(bag), newName.bytes(), consent);
}

StepResult BagFolder::exists(const BagName& bag) const {
    return store_.exists(place(bag));
}

StepValue<BagNames> BagFolder::list() const {
    return store_.listBags(directory_);
}

QString BagFolder::shownPath(const BagName& bag) const {
    return BagPaths::shown(QFile::encodeName(directory_ + QDir::separator()) + bag.bytes());
}

FilePlace BagFolder::place(const BagName& bag) const {
    return {QFile::encodeName(directory_), bag.bytes()};
}
