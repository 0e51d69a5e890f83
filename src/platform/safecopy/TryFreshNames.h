#pragma once

#include "platform/StepResult.h"

#include <QByteArray>
#include <cerrno>
#include <optional>

// Tries candidate(0), candidate(1) ... in turn: tryName gives nothing back when its name was taken, else
// the result to return. Bounded, so that a directory that takes every name still ends as a failure.
template <typename Candidate, typename TryName>
StepResult tryFreshNames(Candidate candidate, TryName tryName) {
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt)
        if (const std::optional<StepResult> result = tryName(candidate(attempt)))
            return *result;
    return StepResult::fromErrno(EEXIST);
}
