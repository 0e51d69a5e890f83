#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <functional>

class Descriptor;
class FileKeeper;

// Copies a file so that the destination is, at every moment and after any crash, either exactly as it was
// or exactly the new copy: the bytes go to a temporary file in the destination's directory, which is
// synced and then renamed over the destination. A destination that is a symbolic link keeps the link
// and has the file it points to replaced. The source is only read; when it is written to during the copy,
// it is copied once more, and a second change fails the copy, so that no mix of two versions is kept.
// Given a keeper, whatever the rename is about to replace goes there first, under the directory's lock;
// when it cannot be kept, the copy fails with nothing changed.
class AtomicFileCopy {
public:
    explicit AtomicFileCopy(FileSystem& fs, FileKeeper* keepReplacedIn = nullptr)
        : fs_(fs), keeper_(keepReplacedIn) {}

    // After a failure before the rename nothing is left behind; after a failed close or sync of the
    // directory the new copy is in place but may not survive a power cut.
    StepResult copy(const FilePlace& source, const FilePlace& destination);
    // Replaces the destination with the given bytes, in the same way and with the same promises.
    StepResult replace(const FilePlace& destination, const QByteArray& bytes);

private:
    using Fill = std::function<StepResult(int temporary)>; // writes the new content

    StepResult copyOnce(const FilePlace& source, const FilePlace& destination, bool& sourceChanged);
    StepResult locate(FilePlace& where, int& directory);
    StepResult copyInto(int directory, const FilePlace& where, const Fill& fill);
    StepResult renameKeepingReplaced(int directory, const QByteArray& temporary, const FilePlace& where);
    StepResult closeAfterRename(Descriptor& temporary, int directory);

    FileSystem& fs_;
    FileKeeper* keeper_;
};
