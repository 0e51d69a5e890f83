#pragma once

#include <QByteArray>
#include <QString>

// Paths are plain concatenations: the Palace directory carries its own trailing separator,
// the program directory does not. They come out as the file system spells them, so that a bag whose
// name is not valid text is still reached through its exact bytes.
namespace BagPaths {
inline const QString liveFileName = QStringLiteral("palace.prp"); // the client's current props
inline const QString bagExtension = QStringLiteral(".prp");

QByteArray liveFile(const QString& palaceDirectory);                         // Selpath & "palace.prp"
QByteArray bag(const QString& programDirectory, const QByteArray& fileName); // Apath & sep & Selfile
QByteArray newBag(const QString& programDirectory, const QString& name);     // Apath & sep & name & ".prp"
// A path as messages show it.
QString shown(const QByteArray& path);
// True when name (with ".prp" appended) is one file name in the program directory and cannot escape it.
bool isSingleFileName(const QString& fileName);
bool isSingleFileName(const QByteArray& fileName);
} // namespace BagPaths
