#pragma once

#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/StepResult.h"

#include <QByteArray>
#include <functional>

// Copies a file so that the destination is, at every moment and after any crash, either exactly as it was
// or exactly the new copy: the bytes go to a temporary file in the destination's directory, which is
// synced and then renamed over the destination. A destination that is a symbolic link keeps the link
// and has the file it points to replaced. The source is only read.
class AtomicFileCopy {
public:
    explicit AtomicFileCopy(FileSystem& fs) : fs_(fs) {}

    // After a failure before the rename nothing is left behind; after a failed sync of the directory the
    // new copy is in place but may not survive a power cut.
    StepResult copy(const QByteArray& source, const QByteArray& destination);
    // Replaces the destination with the given bytes, in the same way and with the same promises.
    StepResult replace(const QByteArray& destination, const QByteArray& bytes);

private:
    using Fill = std::function<int(int temporary)>; // writes the new content; 0 or an errno

    int copyOrError(const QByteArray& source, const QByteArray& destination);
    int checkRegularFile(int fd);
    int locate(const QByteArray& destination, NativePath& where);
    int replaceIn(const NativePath& where, const Fill& fill);
    int resolveLinks(QByteArray path, QByteArray& target);
    int copyInto(int directory, const QByteArray& name, const Fill& fill);
    int createTemporary(int directory, mode_t mode, QByteArray& name, int& fd);
    int copyBytes(int from, int to);
    int copyByReadWrite(int from, int to);
    int writeAll(int fd, const char* data, size_t size);

    FileSystem& fs_;
};
