#include "platform/files/DirectoryReader.h"

#include <QFile>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString toQString(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

} // namespace

std::optional<QStringList> DirectoryReader::subdirectories(const QString& directory) {
    // std::filesystem tells an unreadable directory from an empty one, which QDir does not.
    std::error_code error;
    std::filesystem::directory_iterator entries(toPath(directory), error);
    if (error)
        return std::nullopt;
    QStringList names;
    for (auto end = std::filesystem::directory_iterator(); entries != end; entries.increment(error)) {
        std::error_code ignored; // a link that points nowhere is simply not a directory
        if (entries->is_directory(ignored))
            names.append(toQString(entries->path().filename()));
    }
    if (error)
        return std::nullopt;
    names.sort(Qt::CaseInsensitive);
    return names;
}
