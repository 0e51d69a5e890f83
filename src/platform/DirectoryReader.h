#pragma once

#include "platform/DirectoryLister.h"

// Lists directories through the file system.
class DirectoryReader : public DirectoryLister {
public:
    std::optional<QStringList> subdirectories(const QString& directory) override;
};
