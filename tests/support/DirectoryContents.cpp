#include "support/DirectoryContents.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

DirectoryContents contentsOf(const QString& directory) {
    DirectoryContents contents;
    const QDir root(directory);
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            contents.insert(relative + QLatin1Char('/'), {});
            continue;
        }
        QFile file(path);
        contents.insert(relative,
                        file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return contents;
}

QStringList entryNames(const QString& directory) {
    QStringList names =
        QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QStringList describe(const DirectoryContents& contents) {
    QStringList lines;
    for (auto it = contents.cbegin(); it != contents.cend(); ++it)
        lines.append(QString::fromUtf8(it.key().toUtf8().toPercentEncoding(" /.-_+")) +
                     QStringLiteral(" = ") + QString::fromLatin1(it.value().toPercentEncoding(" ")));
    return lines;
}
