#pragma once

#include "app/pathdialog/sources/DirectoryLister.h"
#include "platform/files/DirectoryReader.h"

// Lists the directories of this machine's file system.
class SystemDirectoryLister : public DirectoryLister {
public:
    StepValue<QStringList> subdirectories(const QString& directory) override {
        return DirectoryReader::subdirectories(directory);
    }
};
