#pragma once

#include <cerrno>

class FileSystem;

// Repeats a call that a signal interrupted. Bounded, so that a call that keeps failing with EINTR
// still ends as a failure.
template <typename Call> auto retryInterrupted(Call call) {
    constexpr int attempts = 1000;
    auto result = call();
    for (int attempt = 1; attempt < attempts && result < 0 && errno == EINTR; ++attempt)
        result = call();
    return result;
}

// fsync of a directory, so that a rename or unlink in it survives a power cut. File systems that
// cannot sync a directory say EINVAL; there is nothing more to do on them.
int syncDirectory(FileSystem& fs, int directory);
