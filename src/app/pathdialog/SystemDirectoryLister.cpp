#include "app/pathdialog/SystemDirectoryLister.h"

#include "platform/DirectoryReader.h"

std::optional<QStringList> SystemDirectoryLister::subdirectories(const QString& directory) {
    return DirectoryReader::subdirectories(directory);
}
