#pragma once

#include "app/pathdialog/sources/DirectoryLister.h"

// Lists the directories of this machine's file system.
class SystemDirectoryLister : public DirectoryLister {
public:
    std::optional<QStringList> subdirectories(const QString& directory) override;
};
