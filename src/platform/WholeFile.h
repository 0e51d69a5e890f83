#pragma once

#include "platform/FileSystem.h"
#include "platform/StepResult.h"

#include <QByteArray>

// The bytes of a small regular file, read in one go. Nothing in the file's place can hang the reader or
// fill its memory: a pipe or device is refused (EINVAL), a folder too (EISDIR), and so is a file of more
// than maxSize bytes (EFBIG). A file that is not there fails with ENOENT.
struct WholeFile {
    QByteArray bytes;
    StepResult result;
};

WholeFile readWholeFile(FileSystem& fs, const QByteArray& path, qsizetype maxSize);
