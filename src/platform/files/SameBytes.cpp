#include "platform/files/SameBytes.h"

#include "platform/files/Descriptor.h"
#include "platform/files/RetryInterrupted.h"

#include <QByteArray>
#include <cstring>
#include <fcntl.h>

namespace SameBytes {

namespace {
constexpr qsizetype chunk = qsizetype(256) << 10;

int openToRead(FileSystem& fs, const FilePlace& file) {
    return retryInterrupted(
        [&] { return fs.open(file.path().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); });
}

// Fills the buffer as far as the file goes; -1 when it cannot be read.
qsizetype readFull(FileSystem& fs, int fd, char* buffer, qsizetype size) {
    qsizetype filled = 0;
    while (filled < size) {
        const ssize_t got =
            retryInterrupted([&] { return fs.read(fd, buffer + filled, size_t(size - filled)); });
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += got;
    }
    return filled;
}
} // namespace

bool of(FileSystem& fs, const FilePlace& a, const FilePlace& b) {
    const Descriptor first(fs, openToRead(fs, a));
    const Descriptor second(fs, openToRead(fs, b));
    return first.isOpen() && second.isOpen() && of(fs, first.get(), second.get());
}

bool of(FileSystem& fs, int a, int b) {
    struct stat statusA {};
    struct stat statusB {};
    if (fs.fstatat(a, "", &statusA, AT_EMPTY_PATH) < 0 || fs.fstatat(b, "", &statusB, AT_EMPTY_PATH) < 0 ||
        !S_ISREG(statusA.st_mode) || !S_ISREG(statusB.st_mode) || statusA.st_size != statusB.st_size)
        return false;
    QByteArray bufferA(chunk, Qt::Uninitialized);
    QByteArray bufferB(chunk, Qt::Uninitialized);
    for (;;) {
        const qsizetype gotA = readFull(fs, a, bufferA.data(), chunk);
        const qsizetype gotB = readFull(fs, b, bufferB.data(), chunk);
        if (gotA < 0 || gotA != gotB ||
            std::memcmp(bufferA.constData(), bufferB.constData(), size_t(gotA)) != 0)
            return false;
        if (gotA < chunk)
            return true;
    }
}

} // namespace SameBytes
