#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <sys/types.h>

class FileSystem;

// A directory as a step uses it: opened, made durable after a change, made where it is missing.
namespace Directory {

// A descriptor of the directory at path, or -1 and errno; extraFlags are added (O_NOFOLLOW).
int open(FileSystem& fs, const QByteArray& path, int extraFlags = 0);
// A descriptor of its own for an open directory, or -1 and errno.
int reopen(FileSystem& fs, int directory);
// fsync of a directory, so that a rename or unlink in it survives a power cut. File systems that
// cannot sync a directory say EINVAL; there is nothing more to do on them.
StepResult sync(FileSystem& fs, int directory);
// Creates the directory and those above it that are missing, like `mkdir -p`, each with mode.
StepResult make(FileSystem& fs, const QByteArray& path, mode_t mode);

} // namespace Directory
