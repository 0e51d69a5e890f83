#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <functional>
#include <sys/stat.h>

class FileSystem;

// Reads directories: the subdirectories a person picks from, and the regular files a step looks for.
namespace DirectoryReader {

// Names of the subdirectories of `directory` (hidden ones and links to directories included),
// sorted without regard to case; a directory that cannot be listed fails.
StepValue<QStringList> subdirectories(const QString& directory);

enum class Links { Follow, Skip };
// Given the entry's own bytes, without a copy: it must not keep them.
using NameFilter = bool (*)(const QByteArray& name);
// Given each name that passes; the bytes last only for the call.
using NameSink = std::function<void(QByteArrayView name)>;

// The names of one directory's regular files that pass a filter, read in one pass through the seam.
// The file type comes from the directory entry itself; a stat is made only where the entry does not
// tell (an unknown type, or a link to be followed), and only for names that pass the filter, so that
// large directories list fast. A failure is what kept the directory from being read.
StepResult regularFiles(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links,
                        const NameSink& found);
// The bytes the directory's entries take, as most file systems give a directory's size; 0 when unknown.
qsizetype sizeOf(FileSystem& fs, const QByteArray& directory);
// The status of one entry, links followed.
StepValue<struct stat> statusOf(FileSystem& fs, const FilePlace& file);

} // namespace DirectoryReader
