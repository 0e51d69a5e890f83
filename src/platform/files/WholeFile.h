#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>

// The bytes of a small regular file, read in one go. Nothing in the file's place can hang the reader or
// fill its memory: a pipe or device is refused (EINVAL), a folder too (EISDIR), and so is a file of more
// than maxSize bytes (EFBIG). A file that is not there fails with ENOENT, and so does a symbolic link whose
// target is gone, which is there all the same.
struct WholeFile {
    QByteArray bytes;
    StepResult result;
    bool absent = false; // nothing at all in the file's place, not even a link
};

WholeFile readWholeFile(FileSystem& fs, const QByteArray& path, qsizetype maxSize);
