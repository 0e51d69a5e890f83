#pragma once

#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/StepResult.h"

#include <QByteArray>
#include <functional>

class Descriptor;
class Trash;

// Copies a file so that the destination is, at every moment and after any crash, either exactly as it was
// or exactly the new copy: the bytes go to a temporary file in the destination's directory, which is
// synced and then renamed over the destination. A destination that is a symbolic link keeps the link
// and has the file it points to replaced. The source is only read; when it is written to during the copy,
// it is copied once more, and a second change fails the copy, so that no mix of two versions is kept.
// Given a trash, the replaced file goes there just before the rename; the copy goes on whether or not it
// could.
class AtomicFileCopy {
public:
    explicit AtomicFileCopy(FileSystem& fs, Trash* keepReplacedIn = nullptr)
        : fs_(fs), trash_(keepReplacedIn) {}

    // After a failure before the rename nothing is left behind; after a failed close or sync of the
    // directory the new copy is in place but may not survive a power cut.
    StepResult copy(const QByteArray& source, const QByteArray& destination);
    // Replaces the destination with the given bytes, in the same way and with the same promises.
    StepResult replace(const QByteArray& destination, const QByteArray& bytes);

private:
    using Fill = std::function<int(int temporary)>; // writes the new content; 0 or an errno

    int copyOrError(const QByteArray& source, const QByteArray& destination);
    int checkRegularFile(int fd, struct stat& status);
    int locate(const QByteArray& destination, NativePath& where);
    int replaceIn(const NativePath& where, const Fill& fill);
    int resolveLinks(QByteArray path, QByteArray& target);
    int copyInto(int directory, const QByteArray& name, const Fill& fill);
    int checkUnchanged(int source, const struct stat& before);
    int closeAfterRename(Descriptor& temporary, int directory);
    int createTemporary(int directory, mode_t mode, QByteArray& name, int& fd);
    int copyBytes(int from, int to);
    int copyByReadWrite(int from, int to);
    int writeAll(int fd, const char* data, size_t size);
    void keepReplaced(int directory, const QByteArray& name);

    FileSystem& fs_;
    Trash* trash_;
};
