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
