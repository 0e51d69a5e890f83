#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QString>

// The Palace directory as the setting keeps it: the paths of the client's files are composed on it by
// concatenation, so it ends in a separator.
namespace PalaceDirectory {

// What Ok in the path dialog stores for the directory it shows: one separator appended, even to a
// directory that already ends in one.
QString settingFor(const QString& directory);

// The setting for a directory a user names by its path's bytes: it must be an existing directory (links
// followed); a relative path is taken from the working directory and made absolute, as the path
// dialog shows its directories. Bytes that are no UTF-8 are kept, as PathText keeps them.
StepValue<QString> settingForNamed(FileSystem& fs, const QByteArray& path);

// False for nothing stored, or for a relative value, with which the client's files would be looked for
// wherever the program happens to run.
bool isAbsolutePath(const QString& setting);

} // namespace PalaceDirectory
