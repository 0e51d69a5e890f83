#include "props/BagPaths.h"

#include <QDir>
#include <QFile>

namespace BagPaths {

QByteArray liveFile(const QString& palaceDirectory) {
    return QFile::encodeName(palaceDirectory + liveFileName);
}

QByteArray bag(const QString& programDirectory, const QByteArray& fileName) {
    return QFile::encodeName(programDirectory + QDir::separator()) + fileName;
}

QByteArray newBag(const QString& programDirectory, const QString& name) {
    return QFile::encodeName(programDirectory + QDir::separator() + name + bagExtension);
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
