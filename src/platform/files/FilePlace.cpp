#include "platform/files/FilePlace.h"

#include <QFile>

FilePlace FilePlace::split(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

FilePlace FilePlace::split(const QString& path) {
    return split(QFile::encodeName(path));
}

// The separator that ends a directory is dropped as split() drops it, so a doubled one stays in the path.
FilePlace FilePlace::in(const QByteArray& directory, const QByteArray& name) {
    if (directory.isEmpty())
        return {QByteArrayLiteral("."), name};
    const bool ended = directory.size() > 1 && directory.endsWith('/');
    return {ended ? directory.chopped(1) : directory, name};
}

QByteArray FilePlace::path() const {
    if (directory == ".")
        return name;
    return directory == "/" ? '/' + name : directory + '/' + name;
}
