#include "platform/files/PathProbe.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace PathProbe {

namespace {

bool hasType(const QString& path, mode_t type) {
    struct stat info {};
    return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &info) == 0 &&
           (info.st_mode & S_IFMT) == type;
}

} // namespace

bool isDirectory(const QString& path) {
    return hasType(path, S_IFDIR);
}

bool isRegularFile(const QString& path) {
    return hasType(path, S_IFREG);
}

QString resolved(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace PathProbe
