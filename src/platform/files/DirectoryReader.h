#pragma once

#include <QStringList>
#include <optional>

// Reads directories through the file system.
class DirectoryReader {
public:
    // Names of the subdirectories of `directory` (hidden ones and links to directories included),
    // sorted without regard to case; nothing when the directory cannot be listed.
    static std::optional<QStringList> subdirectories(const QString& directory);
};
