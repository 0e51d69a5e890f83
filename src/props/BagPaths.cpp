#include "props/BagPaths.h"

#include "platform/files/PathText.h"

#include <QDir>
#include <QFile>

namespace BagPaths {

FilePlace liveFile(const QString& palaceDirectory) {
    return FilePlace::in(PathText::toBytes(palaceDirectory), liveFileName);
}

QString displayed(const QByteArray& path) {
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
