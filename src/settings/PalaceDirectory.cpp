#include "settings/PalaceDirectory.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>

namespace PalaceDirectory {

QString settingFor(const QString& directory) {
    return directory + QDir::separator();
}

StepValue<QString> settingForNamed(FileSystem& fs, const QString& path) {
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    struct stat status {};
    if (fs.fstatat(AT_FDCWD, QFile::encodeName(absolute).constData(), &status, 0) < 0)
        return {{}, StepResult::fromErrno(errno)};
    if (!S_ISDIR(status.st_mode))
        return {{}, StepResult::fromErrno(ENOTDIR)};
    return {settingFor(QDir::toNativeSeparators(absolute)), {}};
}

bool isAbsolutePath(const QString& setting) {
    return QDir::isAbsolutePath(setting);
}

} // namespace PalaceDirectory
