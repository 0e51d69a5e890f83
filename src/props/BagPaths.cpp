#include "props/BagPaths.h"

#include <QDir>
#include <QFile>

namespace BagPaths {

// The stored directory arrives whole, from the settings.
FilePlace liveFile(const QString& palaceDirectory) {
    FilePlace place = FilePlace::split(palaceDirectory);
    place.name += QFile::encodeName(liveFileName);
    return place;
}

QString shownLiveFile(const QString& palaceDirectory) {
    return palaceDirectory + liveFileName;
}

QString shown(const QByteArray& path) {
    return QFile::decodeName(path);
}

bool isSingleFileName(const QString& fileName) {
    return isSingleFileName(QFile::encodeName(fileName));
}

bool isSingleFileName(const QByteArray& fileName) {
    if (fileName.isEmpty() || fileName == "." || fileName == "..")
        return false;
    return !fileName.contains(QDir::separator().toLatin1()) && !fileName.contains('\0');
}

} // namespace BagPaths
