#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <functional>

// A copy holds an exclusive lock on its temporary file from the moment it creates it until the file is
// renamed or removed. The clean-up of another running copy removes only files that nobody holds, so it
// can never take away work in progress, only what a killed copy left behind.
namespace TemporaryLock {

// Locks fd, opened on name in directory. 0 when the lock is ours and name still is that very file;
// EAGAIN when someone else holds it or name has gone or is another file; else the errno of the step.
int take(FileSystem& fs, int directory, const QByteArray& name, int fd);

// Creates a new temporary file of our own pattern in directory, for writing, and takes its lock.
StepResult create(FileSystem& fs, int directory, mode_t mode, QByteArray& name, int& fd);

// Removes the regular files of our own temporary pattern in directory that no copy holds, but not those
// that spare names. Links are never followed, and nothing of another name is touched.
void removeLeftovers(FileSystem& fs, const QByteArray& directory,
                     const std::function<bool(int directory, const QByteArray& name)>& spare = {});

} // namespace TemporaryLock
