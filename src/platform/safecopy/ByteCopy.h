#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <sys/stat.h>

// Moving the bytes of one open file into another, checked at every call, and the check that the source
// was not written to meanwhile, so that no mix of two versions is ever taken for a copy.
namespace ByteCopy {

// Only a regular file has an end: a device in the source's place could fill the disk. status is filled.
StepResult checkRegularFile(FileSystem& fs, int fd, struct stat& status);
// Copies from the current offset of from to its end; before is the source's status when it was opened.
// A source written to in between fails as SourceChanged.
StepResult copy(FileSystem& fs, int from, const struct stat& before, int to);
StepResult writeAll(FileSystem& fs, int fd, const QByteArray& bytes);

} // namespace ByteCopy
