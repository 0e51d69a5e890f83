#include "app/pathdialog/sources/SystemDirectoryLister.h"

#include "platform/files/DirectoryReader.h"

std::optional<QStringList> SystemDirectoryLister::subdirectories(const QString& directory) {
    return DirectoryReader::subdirectories(directory);
}
