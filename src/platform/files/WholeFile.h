#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>

// The bytes of a small regular file, read in one go. Nothing in the file's place can hang the reader or
// fill its memory: a pipe or device is refused (EINVAL), a folder too (EISDIR), and so is a file of more
// than maxSize bytes (EFBIG). Nothing at all in the file's place, not even a link, fails as NotThere; a
// symbolic link whose target is gone is there all the same, and fails with the system's ENOENT.
namespace WholeFile {

StepValue<QByteArray> read(FileSystem& fs, const QByteArray& path, qsizetype maxSize);

} // namespace WholeFile
