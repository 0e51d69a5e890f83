#pragma once

#include "platform/files/FilePlace.h"

#include <QByteArray>
#include <QString>

// The places of the client's files come from the Palace directory as stored, which carries its own trailing
// separator. They come out as the file system spells them, so that a bag whose name is not valid text is
// still reached through its exact bytes.
namespace BagPaths {
inline const QString liveFileName = QStringLiteral("palace.prp"); // the client's current props
inline const QString bagExtension = QStringLiteral(".prp");

// Selpath & "palace.prp": a directory stored without its trailing separator lends its last part to the
// name, as that concatenation does.
FilePlace liveFile(const QString& palaceDirectory);
// The live file's path as messages show it.
QString shownLiveFile(const QString& palaceDirectory);
// A path as messages show it.
QString shown(const QByteArray& path);
// True when name (with ".prp" appended) is one file name in the program directory and cannot escape it.
bool isSingleFileName(const QString& fileName);
bool isSingleFileName(const QByteArray& fileName);
} // namespace BagPaths
