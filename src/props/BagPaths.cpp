#include "props/BagPaths.h"

#include <QDir>

namespace BagPaths {

QString liveFile(const QString& palaceDirectory) {
    return palaceDirectory + liveFileName;
}

QString bag(const QString& programDirectory, const QString& fileName) {
    return programDirectory + QDir::separator() + fileName;
}

QString newBag(const QString& programDirectory, const QString& name) {
    return bag(programDirectory, name + bagExtension);
}

bool isSingleFileName(const QString& fileName) {
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    return !fileName.contains(QDir::separator()) && !fileName.contains(QChar(0));
}

} // namespace BagPaths
