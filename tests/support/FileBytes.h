#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to a file, replacing what it held; fails the running test when that is not possible.
void writeFile(const QString& path, const QByteArray& bytes);

// The bytes of a file, or "<unreadable>", which no test expects, when it cannot be read.
QByteArray readFile(const QString& path);
