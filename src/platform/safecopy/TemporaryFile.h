#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <functional>

// Our own temporary files. Their names are hidden and never match "*.prp", so that a half-written copy can
// never show up as a bag. A copy holds an exclusive lock on its temporary file from the moment it creates it
// until the file is renamed or removed. The clean-up of another running copy removes only files that nobody
// holds, so it can never take away work in progress, only what a killed copy left behind.
namespace TemporaryFile {

QByteArray makeName(); // ".stowbox-" + six random letters or digits + ".tmp"
bool isOurs(const QByteArray& name);

// Creates a new temporary file of our own pattern in directory, for writing, and takes its lock.
StepResult create(FileSystem& fs, int directory, mode_t mode, QByteArray& name, int& fd);

// Removes the regular files of our own temporary pattern in directory that no copy holds, but not those
// that spare names. Links are never followed, and nothing of another name is touched.
void removeLeftovers(FileSystem& fs, const QByteArray& directory,
                     const std::function<bool(int directory, const QByteArray& name)>& spare = {});

} // namespace TemporaryFile
