#pragma once

#include <QString>

// Paths are plain concatenations: the Palace directory carries its own trailing separator,
// the program directory does not.
namespace BagPaths {
inline const QString liveFileName = QStringLiteral("palace.prp"); // the client's current props
inline const QString bagExtension = QStringLiteral(".prp");

QString liveFile(const QString& palaceDirectory);                      // Selpath & "palace.prp"
QString bag(const QString& programDirectory, const QString& fileName); // Apath & sep & Selfile
QString newBag(const QString& programDirectory, const QString& name);  // Apath & sep & name & ".prp"
// True when name (with ".prp" appended) is one file name in the program directory and cannot escape it.
bool isSingleFileName(const QString& fileName);
} // namespace BagPaths
