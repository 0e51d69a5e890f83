#pragma once

#include <cstddef>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

// The operating system's file calls, one virtual per call, so that tests can make any of them fail.
// Each behaves as its POSIX namesake: -1 (or nullptr) and errno on failure.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int open(const char* path, int flags) = 0;
    virtual int openat(int directory, const char* name, int flags, mode_t mode) = 0;
    virtual ssize_t read(int fd, void* buffer, size_t size) = 0;
    virtual ssize_t write(int fd, const void* buffer, size_t size) = 0;
    virtual off_t lseek(int fd, off_t offset, int whence) = 0;
    // copy_file_range from the current offset of one descriptor to the current offset of the other.
    virtual ssize_t copyFileRange(int from, int to, size_t size) = 0;
    virtual int fstatat(int directory, const char* name, struct stat* status, int flags) = 0;
    virtual int faccessat(int directory, const char* name, int mode, int flags) = 0;
    virtual int fchmod(int fd, mode_t mode) = 0;
    virtual int fsync(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) = 0;
    virtual int unlinkat(int directory, const char* name, int flags) = 0;
    virtual int flock(int fd, int operation) = 0;
    virtual int linkat(int fromDirectory, const char* from, int toDirectory, const char* to, int flags) = 0;
    virtual int mkdirat(int directory, const char* name, mode_t mode) = 0;
    virtual ssize_t readlinkat(int directory, const char* name, char* buffer, size_t size) = 0;
    // resolved holds PATH_MAX bytes.
    virtual char* realpath(const char* path, char* resolved) = 0;
    // The returned stream owns fd; closedir closes both.
    virtual DIR* fdopendir(int fd) = 0;
    virtual dirent* readdir(DIR* stream) = 0;
    virtual int closedir(DIR* stream) = 0;
};
