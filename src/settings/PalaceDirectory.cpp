#include "settings/PalaceDirectory.h"

#include "platform/files/PathText.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>

namespace PalaceDirectory {

QString settingFor(const QString& directory) {
    return directory + QDir::separator();
}

StepValue<QString> settingForNamed(FileSystem& fs, const QByteArray& path) {
    // In bytes until it is cleaned: a QDir of the path would lose what is no UTF-8.
    const QByteArray whole = path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
    const QString absolute = QDir::cleanPath(PathText::fromBytes(whole));
    struct stat status {};
    if (fs.fstatat(AT_FDCWD, PathText::toBytes(absolute).constData(), &status, 0) < 0)
        return {{}, StepResult::fromErrno(errno)};
    if (!S_ISDIR(status.st_mode))
        return {{}, StepResult::fromErrno(ENOTDIR)};
    return {settingFor(QDir::toNativeSeparators(absolute)), {}};
}

bool isAbsolutePath(const QString& setting) {
    return QDir::isAbsolutePath(setting);
}

} // namespace PalaceDirectory
