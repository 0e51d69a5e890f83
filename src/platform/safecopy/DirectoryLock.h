#pragma once

#include "platform/StepResult.h"
#include "platform/files/Descriptor.h"
#include "platform/files/FileSystem.h"

// An advisory lock on a directory that every running copy of the program takes before it replaces or
// removes a file in it, held until the object goes: two copies never displace one file at once. It is a
// lock of its own open directory, so that two holders in one process exclude each other too.
class DirectoryLock {
public:
    DirectoryLock(FileSystem& fs, int directory);

    // Waits until the lock is taken; a failure means no lock is held.
    StepResult result() const { return result_; }

private:
    Descriptor held_;
    StepResult result_;
};
