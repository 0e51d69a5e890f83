#pragma once

#include "platform/files/FileSystem.h"

// The real calls, passed straight to the C library.
class PosixFileSystem : public FileSystem {
public:
    int open(const char* path, int flags) override;
    int openat(int directory, const char* name, int flags, mode_t mode) override;
    ssize_t read(int fd, void* buffer, size_t size) override;
    ssize_t write(int fd, const void* buffer, size_t size) override;
    off_t lseek(int fd, off_t offset, int whence) override;
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
};
