#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <cerrno>
#include <utility>

// An open file descriptor that is closed through the seam when it goes out of scope.
// Closing early with closeChecked() reports the result, which matters for a file that was written.
class Descriptor {
public:
    Descriptor(FileSystem& fs, int fd) : fs_(fs), fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            fs_.close(fd_);
    }

    int get() const { return fd_; }
    // Hands the descriptor on; it is no longer closed here.
    int release() { return std::exchange(fd_, -1); }
    bool isOpen() const { return fd_ >= 0; }
    StepResult closeChecked() {
        return StepResult::fromErrno(fs_.close(std::exchange(fd_, -1)) < 0 ? errno : 0);
    }

private:
    FileSystem& fs_;
    int fd_;
};
