#include "platform/files/PosixFileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int PosixFileSystem::open(const char* path, int flags) {
    return ::open(path, flags);
}

int PosixFileSystem::openat(int directory, const char* name, int flags, mode_t mode) {
    return ::openat(directory, name, flags, mode);
}

ssize_t PosixFileSystem::read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t PosixFileSystem::write(int fd, const void* buffer, size_t size) {
    return ::write(fd, buffer, size);
}

off_t PosixFileSystem::lseek(int fd, off_t offset, int whence) {
    return ::lseek(fd, offset, whence);
}

ssize_t PosixFileSystem::copyFileRange(int from, int to, size_t size) {
    return ::copy_file_range(from, nullptr, to, nullptr, size, 0);
}

int PosixFileSystem::fstatat(int directory, const char* name, struct stat* status, int flags) {
    return ::fstatat(directory, name, status, flags);
}

int PosixFileSystem::faccessat(int directory, const char* name, int mode, int flags) {
    return ::faccessat(directory, name, mode, flags);
}

int PosixFileSystem::fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int PosixFileSystem::fsync(int fd) {
    return ::fsync(fd);
}

int PosixFileSystem::close(int fd) {
    return ::close(fd);
}

int PosixFileSystem::renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
    return ::renameat(fromDirectory, from, toDirectory, to);
}

int PosixFileSystem::unlinkat(int directory, const char* name, int flags) {
    return ::unlinkat(directory, name, flags);
}

int PosixFileSystem::flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int PosixFileSystem::linkat(int fromDirectory, const char* from, int toDirectory, const char* to, int flags) {
    return ::linkat(fromDirectory, from, toDirectory, to, flags);
}

int PosixFileSystem::mkdirat(int directory, const char* name, mode_t mode) {
    return ::mkdirat(directory, name, mode);
}

ssize_t PosixFileSystem::readlinkat(int directory, const char* name, char* buffer, size_t size) {
    return ::readlinkat(directory, name, buffer, size);
}

char* PosixFileSystem::realpath(const char* path, char* resolved) {
    return ::realpath(path, resolved);
}

DIR* PosixFileSystem::fdopendir(int fd) {
    return ::fdopendir(fd);
}

dirent* PosixFileSystem::readdir(DIR* stream) {
    return ::readdir(stream);
}

int PosixFileSystem::closedir(DIR* stream) {
    return ::closedir(stream);
}
