#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"

#include <QByteArray>

// Somewhere to put a file just before a step replaces or removes it. The step holds the lock of the file's
// directory from keep() until its rename or unlink, so that what is kept is exactly what goes.
class FileKeeper {
public:
    virtual ~FileKeeper() = default;

    // Keeps the file, whatever is there now (nothing, when there is nothing worth keeping); directory is its
    // directory, open. A failure stops the step before it changes anything.
    virtual StepResult keep(int directory, const FilePlace& file) = 0;
    // The step failed after keep(): takes back what it kept, since the file is still in its place.
    virtual void giveBack() = 0;
};
