#include "platform/files/DirectoryReader.h"

#include "platform/files/Directory.h"
#include "platform/files/FileSystem.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace DirectoryReader {

namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString toQString(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

bool isRegular(FileSystem& fs, int directory, const dirent& entry, Links links) {
    const bool follow = links == Links::Follow;
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_UNKNOWN && !(entry.d_type == DT_LNK && follow))
        return false;
    struct stat status {};
    return fs.fstatat(directory, entry.d_name, &status, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode);
}

} // namespace

StepValue<QStringList> subdirectories(const QString& directory) {
    // std::filesystem tells an unreadable directory from an empty one, which QDir does not.
    std::error_code error;
    std::filesystem::directory_iterator entries(toPath(directory), error);
    if (error)
        return {{}, StepResult::fromErrno(error.value()).about(QFile::encodeName(directory))};
    QStringList names;
    for (auto end = std::filesystem::directory_iterator(); entries != end; entries.increment(error)) {
        std::error_code ignored; // a link that points nowhere is simply not a directory
        if (entries->is_directory(ignored))
            names.append(toQString(entries->path().filename()));
    }
    if (error)
        return {{}, StepResult::fromErrno(error.value()).about(QFile::encodeName(directory))};
    names.sort(Qt::CaseInsensitive);
    return {names, {}};
}

StepResult regularFiles(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links,
                        const NameSink& found) {
    const int fd = Directory::open(fs, directory);
    if (fd < 0)
        return StepResult::fromErrno(errno);
    DIR* stream = fs.fdopendir(fd);
    if (!stream) {
        const StepResult failed = StepResult::fromErrno(errno);
        fs.close(fd);
        return failed;
    }
    errno = 0;
    while (const dirent* entry = fs.readdir(stream)) {
        // Most entries of a large folder are looked at and passed over: none is copied for that.
        const QByteArray name = QByteArray::fromRawData(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (wanted(name) && isRegular(fs, fd, *entry, links))
            found(name);
        errno = 0;
    }
    const StepResult read = StepResult::fromErrno(errno);
    fs.closedir(stream);
    return read;
}

qsizetype sizeOf(FileSystem& fs, const QByteArray& directory) {
    struct stat status {};
    return fs.fstatat(AT_FDCWD, directory.constData(), &status, 0) == 0 ? qsizetype(status.st_size) : 0;
}

StepValue<struct stat> statusOf(FileSystem& fs, const FilePlace& file) {
    StepValue<struct stat> status;
    if (fs.fstatat(AT_FDCWD, file.path().constData(), &status.value, 0) < 0)
        status.result = StepResult::fromErrno(errno).about(file.path());
    return status;
}

} // namespace DirectoryReader
