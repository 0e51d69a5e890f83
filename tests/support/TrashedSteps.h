#pragma once

#include "platform/safecopy/FileSteps.h"
#include "platform/safecopy/Trash.h"

// The file steps over a file system, keeping what they displace in a trash: the test's own home trash
// unless another owner is given.
struct TrashedSteps {
    explicit TrashedSteps(FileSystem& fs, TrashOwner owner = TrashOwner::fromEnvironment())
        : trash(fs, std::move(owner)), steps(fs, &trash) {}

    Trash trash;
    FileSteps steps;
};

// The answers a user gives to the question before a loss.
inline const AskBeforeLoss agree = [](const StepResult&) { return true; };
inline const AskBeforeLoss refuse = [](const StepResult&) { return false; };
