#include "props/BagPaths.h"

#include "app/Form1Texts.h"

#include <QDir>

namespace BagPaths {

QString liveFile(const QString& palaceDirectory) {
    return palaceDirectory + Form1Texts::liveFile;
}

QString clientProgram(const QString& palaceDirectory) {
    return palaceDirectory + Form1Texts::clientProgram;
}

QString bag(const QString& programDirectory, const QString& fileName) {
    return programDirectory + QDir::separator() + fileName;
}

QString newBag(const QString& programDirectory, const QString& name) {
    return bag(programDirectory, name + Form1Texts::bagExtension);
}

bool isSingleFileName(const QString& fileName) {
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (fileName.contains(QLatin1Char('\\')))
        return false;
#endif
    return true;
}

} // namespace BagPaths
