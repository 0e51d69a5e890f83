#include "settings/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

QString QtSettingsStore::location(const QString& application) {
    return QDir::toNativeSeparators(fileOf(application));
}

QString QtSettingsStore::whyNotWritable(const QString& application) {
#ifdef Q_OS_UNIX
    // Asked after a save failed: find the first of the file and its directories that refuses writing.
    // access() asks the kernel, so a read-only mount is seen even by root.
    const QFileInfo file(fileOf(application));
    if (file.isDir())
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    // The store rewrites the whole file, so it must be able to read it as well.
    if (file.exists() && ::access(QFile::encodeName(file.filePath()).constData(), R_OK | W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    // A missing directory would be created: what counts is the nearest one that exists.
    QString directory = file.absolutePath();
    while (!QFileInfo::exists(directory) && QFileInfo(directory).path() != directory)
        directory = QFileInfo(directory).path();
    if (!QFileInfo(directory).isDir())
        return QString::fromLocal8Bit(std::strerror(ENOTDIR));
    if (::access(QFile::encodeName(directory).constData(), W_OK | X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
#else
    Q_UNUSED(application);
    return {};
#endif
}
