#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Everything under a directory, hidden entries included: relative path to bytes; folders end in "/".
using DirectoryContents = QMap<QString, QByteArray>;

DirectoryContents contentsOf(const QString& directory);

// The names directly in a directory, hidden entries included, in code-point order.
QStringList entryNames(const QString& directory);

// One readable line per entry, so that QCOMPARE points at the first entry that differs.
QStringList describe(const DirectoryContents& contents);
