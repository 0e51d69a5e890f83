#pragma once

#include <cerrno>

// Repeats a call that a signal interrupted. Bounded, so that a call that keeps failing with EINTR
// still ends as a failure.
template <typename Call> auto retryInterrupted(Call call) {
    constexpr int attempts = 1000;
    auto result = call();
    for (int attempt = 1; attempt < attempts && result < 0 && errno == EINTR; ++attempt)
        result = call();
    return result;
}
