#pragma once

#include "platform/files/FilePlace.h"

#include <QByteArray>
#include <QString>

// The client's live file lies in the Palace directory as stored; the bags' names end in ".prp". Places come
// out as the file system spells them, so that a bag whose name is not valid text is still reached.
namespace BagPaths {
inline const QByteArray liveFileName = "palace.prp"; // the client's current props
inline const QByteArray bagExtension = ".prp";

// palace.prp in the stored directory, with or without its trailing separator; in the current directory
// when nothing is stored.
FilePlace liveFile(const QString& palaceDirectory);
// A path as messages show it.
QString displayed(const QByteArray& path);
// True when name (with ".prp" appended) is one file name in the program directory and cannot escape it.
bool isSingleFileName(const QString& fileName);
bool isSingleFileName(const QByteArray& fileName);
} // namespace BagPaths
