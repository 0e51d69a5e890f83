#include "support/FaultyFileSystem.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {
size_t shortened(size_t size) {
    return std::max<size_t>(1, size / 2);
}

QByteArray pathOf(int fd) {
    const int saved = errno;
    char target[PATH_MAX];
    const ssize_t length =
        ::readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), target, sizeof target);
    errno = saved;
    return length < 0 ? QByteArray() : QByteArray(target, length);
}
} // namespace

bool FaultyFileSystem::mutates(Call call) {
    switch (call) {
    case Call::Openat:
    case Call::Write:
    case Call::CopyFileRange:
    case Call::Fchmod:
    case Call::Fsync:
    case Call::Close:
    case Call::Renameat:
    case Call::Unlinkat:
    case Call::Linkat:
    case Call::Mkdirat:
        return true;
    default:
        return false;
    }
}

const char* FaultyFileSystem::nameOf(Call call) {
    static const char* const names[] = {"open",      "openat",    "read",     "write",   "copy_file_range",
                                        "fstatat",   "faccessat", "fchmod",   "fsync",   "close",
                                        "renameat",  "unlinkat",  "linkat",   "mkdirat", "readlinkat",
                                        "fdopendir", "readdir",   "closedir", "flock",   "realpath"};
    return names[int(call)];
}

FaultyFileSystem::Action FaultyFileSystem::next(Call call, int fd, QByteArray path) {
    if (beforeCall)
        beforeCall(call);
    trace.append({call, fd, renamed_, fd >= 0 ? pathOf(fd) : path});
    const int occurrence = ++counts_[int(call)];
    if (!fault || fault->call != call)
        return Action::Proceed;
    const bool always = fault->effect == Effect::InterruptAlways;
    if (occurrence != fault->occurrence && !(always && occurrence > fault->occurrence))
        return Action::Proceed;
    faultHit = true;
    switch (fault->effect) {
    case Effect::Fail:
        errno = fault->error;
        return Action::Fail;
    case Effect::Interrupt:
    case Effect::InterruptAlways:
        errno = EINTR;
        return Action::Fail;
    case Effect::Short:
        return Action::Shorten;
    }
    return Action::Proceed;
}

int FaultyFileSystem::open(const char* path, int flags) {
    return next(Call::Open) == Action::Fail ? -1 : PosixFileSystem::open(path, flags);
}

int FaultyFileSystem::openat(int directory, const char* name, int flags, mode_t mode) {
    if (next(Call::Openat) == Action::Fail)
        return -1;
    const int fd = PosixFileSystem::openat(directory, name, flags, mode);
    if (fd >= 0 && (flags & O_CREAT) && createdFd < 0)
        createdFd = fd;
    return fd;
}

ssize_t FaultyFileSystem::read(int fd, void* buffer, size_t size) {
    const Action action = next(Call::Read, fd);
    if (action == Action::Fail)
        return -1;
    return PosixFileSystem::read(fd, buffer, action == Action::Shorten ? shortened(size) : size);
}

ssize_t FaultyFileSystem::write(int fd, const void* buffer, size_t size) {
    const Action action = next(Call::Write, fd);
    if (action == Action::Fail)
        return -1;
    return PosixFileSystem::write(fd, buffer, action == Action::Shorten ? shortened(size) : size);
}

ssize_t FaultyFileSystem::copyFileRange(int from, int to, size_t size) {
    const Action action = next(Call::CopyFileRange, to);
    if (action == Action::Fail)
        return -1;
    if (rangeCopyUnsupported) {
        errno = ENOSYS;
        return -1;
    }
    return PosixFileSystem::copyFileRange(from, to, action == Action::Shorten ? shortened(size) : size);
}

int FaultyFileSystem::fstatat(int directory, const char* name, struct stat* status, int flags) {
    return next(Call::Fstatat) == Action::Fail ? -1
                                               : PosixFileSystem::fstatat(directory, name, status, flags);
}

int FaultyFileSystem::faccessat(int directory, const char* name, int mode, int flags) {
    return next(Call::Faccessat) == Action::Fail ? -1
                                                 : PosixFileSystem::faccessat(directory, name, mode, flags);
}

int FaultyFileSystem::fchmod(int fd, mode_t mode) {
    return next(Call::Fchmod, fd) == Action::Fail ? -1 : PosixFileSystem::fchmod(fd, mode);
}

int FaultyFileSystem::fsync(int fd) {
    return next(Call::Fsync, fd) == Action::Fail ? -1 : PosixFileSystem::fsync(fd);
}

// A failing close still releases the descriptor, as on Linux.
int FaultyFileSystem::close(int fd) {
    const Action action = next(Call::Close, fd);
    const int result = PosixFileSystem::close(fd);
    if (action != Action::Fail)
        return result;
    errno = fault->effect == Effect::Fail ? fault->error : EINTR;
    return -1;
}

int FaultyFileSystem::renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
    if (next(Call::Renameat, -1, pathOf(toDirectory) + '/' + to) == Action::Fail)
        return -1;
    const int result = PosixFileSystem::renameat(fromDirectory, from, toDirectory, to);
    renamed_ = renamed_ || result == 0;
    return result;
}

int FaultyFileSystem::unlinkat(int directory, const char* name, int flags) {
    return next(Call::Unlinkat, -1, pathOf(directory) + '/' + name) == Action::Fail
               ? -1
               : PosixFileSystem::unlinkat(directory, name, flags);
}

int FaultyFileSystem::flock(int fd, int operation) {
    return next(Call::Flock, fd) == Action::Fail ? -1 : PosixFileSystem::flock(fd, operation);
}

int FaultyFileSystem::linkat(int fromDirectory, const char* from, int toDirectory, const char* to,
                             int flags) {
    return next(Call::Linkat, -1, pathOf(toDirectory) + '/' + to) == Action::Fail
               ? -1
               : PosixFileSystem::linkat(fromDirectory, from, toDirectory, to, flags);
}

int FaultyFileSystem::mkdirat(int directory, const char* name, mode_t mode) {
    return next(Call::Mkdirat, -1, pathOf(directory) + '/' + name) == Action::Fail
               ? -1
               : PosixFileSystem::mkdirat(directory, name, mode);
}

ssize_t FaultyFileSystem::readlinkat(int directory, const char* name, char* buffer, size_t size) {
    return next(Call::Readlinkat) == Action::Fail
               ? -1
               : PosixFileSystem::readlinkat(directory, name, buffer, size);
}

char* FaultyFileSystem::realpath(const char* path, char* resolved) {
    return next(Call::Realpath) == Action::Fail ? nullptr : PosixFileSystem::realpath(path, resolved);
}

DIR* FaultyFileSystem::fdopendir(int fd) {
    return next(Call::Fdopendir, fd) == Action::Fail ? nullptr : PosixFileSystem::fdopendir(fd);
}

dirent* FaultyFileSystem::readdir(DIR* stream) {
    return next(Call::Readdir) == Action::Fail ? nullptr : PosixFileSystem::readdir(stream);
}

int FaultyFileSystem::closedir(DIR* stream) {
    const Action action = next(Call::Closedir);
    const int result = PosixFileSystem::closedir(stream);
    return action == Action::Fail ? -1 : result;
}
