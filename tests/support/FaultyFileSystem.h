#pragma once

#include "platform/files/PosixFileSystem.h"

#include <QList>
#include <cerrno>
#include <functional>
#include <optional>

// The real file calls, recorded in order, with one chosen call made to fail, to be interrupted by a signal
// or to do only part of its work. A hook before every call lets a test stop the process at any step.
class FaultyFileSystem : public PosixFileSystem {
public:
    enum class Call {
        Open,
        Openat,
        Read,
        Write,
        CopyFileRange,
        Fstatat,
        Faccessat,
        Fchmod,
        Fsync,
        Close,
        Renameat,
        Unlinkat,
        Linkat,
        Mkdirat,
        Readlinkat,
        Fdopendir,
        Readdir,
        Closedir,
        Flock,
        Realpath
    };
    enum class Effect {
        Fail,            // -1 with the given errno
        Interrupt,       // -1 with EINTR, once
        InterruptAlways, // -1 with EINTR, this occurrence and every later one
        Short,           // reads, writes and copies move only half of what was asked
    };
    struct Fault {
        Call call;
        int occurrence; // 1 for the first call of that kind
        Effect effect;
        int error = EIO;
    };
    struct Step {
        Call call;
        int fd;           // the descriptor a close, fsync, flock or write was given; -1 for the others
        bool afterRename; // a rename had already succeeded
        QByteArray path; // what the call acted on: the file behind fd, or the directory and name it was given
    };

    std::optional<Fault> fault;
    bool rangeCopyUnsupported = false; // copy_file_range answers ENOSYS, as on old kernels
    std::function<void(Call)> beforeCall;
    QList<Step> trace;
    int createdFd = -1; // the first descriptor that openat created a file for
    bool faultHit = false;

    static bool mutates(Call call);
    static const char* nameOf(Call call);

    int open(const char* path, int flags) override;
    int openat(int directory, const char* name, int flags, mode_t mode) override;
    ssize_t read(int fd, void* buffer, size_t size) override;
    ssize_t write(int fd, const void* buffer, size_t size) override;
    ssize_t copyFileRange(int from, int to, size_t size) override;
    int fstatat(int directory, const char* name, struct stat* status, int flags) override;
    int faccessat(int directory, const char* name, int mode, int flags) override;
    int fchmod(int fd, mode_t mode) override;
    int fsync(int fd) override;
    int close(int fd) override;
    int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) override;
    int unlinkat(int directory, const char* name, int flags) override;
    int flock(int fd, int operation) override;
    int linkat(int fromDirectory, const char* from, int toDirectory, const char* to, int flags) override;
    int mkdirat(int directory, const char* name, mode_t mode) override;
    ssize_t readlinkat(int directory, const char* name, char* buffer, size_t size) override;
    char* realpath(const char* path, char* resolved) override;
    DIR* fdopendir(int fd) override;
    dirent* readdir(DIR* stream) override;
    int closedir(DIR* stream) override;

private:
    enum class Action { Proceed, Fail, Shorten };
    Action next(Call call, int fd = -1, QByteArray path = {});

    int counts_[int(Call::Realpath) + 1] = {};
    bool renamed_ = false;
};
