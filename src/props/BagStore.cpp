#include "props/BagStore.h"

#include <QDir>
#include <QFile>

// placeholder until the crash-safe copy is built
BagStore::BagStore(FileSystem& fs) : fs_(fs) {}

FileResult BagStore::copyFile(const QString& source, const QString& destination) {
    QFile::remove(destination);
    QFile file(source);
    return file.copy(destination) ? FileResult{} : FileResult{false, file.errorString()};
}

FileResult BagStore::deleteFile(const QString& path) {
    QFile file(path);
    return file.remove() ? FileResult{} : FileResult{false, file.errorString()};
}

FileResult BagStore::renameFile(const QString& from, const QString& to) {
    QFile::remove(to);
    QFile file(from);
    return file.rename(to) ? FileResult{} : FileResult{false, file.errorString()};
}

QStringList BagStore::listBags(const QString& directory) const {
    return QDir(directory).entryList({QStringLiteral("*.prp")}, QDir::Files);
}

void BagStore::removeLeftoverTemporaries(const QString&) {}
