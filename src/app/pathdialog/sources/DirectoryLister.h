#pragma once

#include "platform/StepResult.h"
#include <QStringList>

// What the path dialog needs to know of a directory.
class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;

    // Names of the subdirectories of `directory` (hidden ones and links to directories included),
    // sorted without regard to case; nothing when the directory cannot be listed.
    virtual StepValue<QStringList> subdirectories(const QString& directory) = 0;
};
