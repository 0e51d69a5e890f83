#include "platform/files/RegularFileNames.h"

#include "platform/files/SystemCall.h"

#include <cstring>
#include <fcntl.h>

namespace RegularFileNames {

namespace {
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

int visit(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links,
          const NameSink& found) {
    const int fd =
        retryInterrupted([&] { return fs.open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return errno;
    DIR* stream = fs.fdopendir(fd);
    if (!stream) {
        const int error = errno;
        fs.close(fd);
        return error;
    }
    errno = 0;
    while (const dirent* entry = fs.readdir(stream)) {
        // Most entries of a large folder are looked at and passed over: none is copied for that.
        const QByteArray name = QByteArray::fromRawData(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (wanted(name) && isRegular(fs, fd, *entry, links))
            found(name);
        errno = 0;
    }
    const int error = errno;
    fs.closedir(stream);
    return error;
}

int list(FileSystem& fs, const QByteArray& directory, NameFilter wanted, Links links,
         QList<QByteArray>& names) {
    return visit(fs, directory, wanted, links,
                 [&](QByteArrayView name) { names.append(name.toByteArray()); });
}

} // namespace RegularFileNames
