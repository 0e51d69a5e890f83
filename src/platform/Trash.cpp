#include "platform/Trash.h"

#include "platform/AtomicFileCopy.h"
#include "platform/Descriptor.h"
#include "platform/NativePath.h"
#include "platform/SystemCall.h"

#include <QDateTime>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr mode_t privateDirectoryMode = 0700;
constexpr mode_t infoMode = 0600;
constexpr int maxEntryNames = 1000;

QByteArray joined(const QByteArray& directory, const QByteArray& name) {
    return directory.endsWith('/') ? directory + name : directory + '/' + name;
}

// Path= is percent-encoded as in URLs, slashes kept; the date is the user's local time.
QByteArray infoText(const QByteArray& recordedPath) {
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

QByteArray entryName(const QByteArray& name, int number) {
    return number == 1 ? name : name + '.' + QByteArray::number(number);
}
} // namespace

TrashOwner TrashOwner::fromEnvironment() {
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) { // unset, empty or relative: the default
        const QByteArray home = qgetenv("HOME");
        data = home.startsWith('/') ? joined(home, ".local/share") : QByteArray();
    }
    return {data.isEmpty() ? data : joined(data, "Trash"), getuid()};
}

StepResult Trash::keep(int directory, const QByteArray& name) {
    return StepResult::fromErrno(put(directory, name, Placement::Link));
}

StepResult Trash::moveIn(int directory, const QByteArray& name) {
    return StepResult::fromErrno(put(directory, name, Placement::Move));
}

int Trash::put(int directory, const QByteArray& name, Placement placement) {
    struct stat status {};
    if (fs_.fstatat(directory, name.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return errno;
    // A symbolic link or a special file loses nothing worth keeping when it goes.
    if (!S_ISREG(status.st_mode))
        return EINVAL;
    QByteArray folder;
    if (const int error = pathOf(directory, folder))
        return error;
    const File file{directory, name, joined(folder, name), status.st_dev, placement};
    const bool homeKnown = !owner_.homeTrash.isEmpty();
    if (homeKnown && deviceOf(owner_.homeTrash) == file.device) {
        if (makeHomeCan() == 0 && enter(owner_.homeTrash, file.path, file, false) == 0)
            return 0;
    } else if (putInTopdirTrash(file) == 0) {
        return 0;
    }
    if (!homeKnown)
        return ENOENT;
    if (const int error = makeHomeCan())
        return error;
    return enter(owner_.homeTrash, file.path, file, true);
}

// The administrator's $topdir/.Trash/$uid when .Trash is a real directory with the sticky bit, else
// $topdir/.Trash-$uid. Paths in these are recorded relative to $topdir.
int Trash::putInTopdirTrash(const File& file) {
    const QByteArray topdir = topdirOf(NativePath::split(file.path).directory, file.device);
    const QByteArray relative = file.path.mid(topdir.endsWith('/') ? topdir.size() : topdir.size() + 1);
    const QByteArray uid = QByteArray::number(qulonglong(owner_.uid));
    const QByteArray shared = joined(topdir, ".Trash");
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, shared.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX)) {
        const QByteArray can = joined(shared, uid);
        if (makeTopdirCan(can) == 0 && enter(can, relative, file, false) == 0)
            return 0;
    }
    const QByteArray can = joined(topdir, ".Trash-" + uid);
    const int error = makeTopdirCan(can);
    return error ? error : enter(can, relative, file, false);
}

// One entry: the info first, synced with its directory, then the file; the first free name is taken.
int Trash::enter(const QByteArray& can, const QByteArray& recordedPath, const File& file, bool copy) {
    Descriptor info(fs_, openDirectory(joined(can, "info")));
    if (!info.isOpen())
        return errno;
    const QByteArray filesPath = joined(can, "files");
    Descriptor files(fs_, openDirectory(filesPath));
    if (!files.isOpen())
        return errno;
    const QByteArray text = infoText(recordedPath);
    for (int number = 1; number <= maxEntryNames; ++number) {
        const QByteArray entry = entryName(file.name, number);
        const QByteArray infoName = entry + ".trashinfo";
        int error = writeInfo(info.get(), infoName, text);
        if (error == EEXIST)
            continue;
        if (error)
            return error;
        error = syncDirectory(fs_, info.get());
        if (!error)
            error = copy ? copyIn(file, files.get(), joined(filesPath, entry), entry)
                         : linkIn(file, files.get(), entry);
        if (!error)
            return 0;
        fs_.unlinkat(info.get(), infoName.constData(), 0);
        if (error != EEXIST) // else a file of that name without its info: take the next name
            return error;
    }
    return EEXIST;
}

int Trash::writeInfo(int infoDirectory, const QByteArray& infoName, const QByteArray& text) {
    Descriptor info(fs_, retryInterrupted([&] {
                        return fs_.openat(infoDirectory, infoName.constData(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, infoMode);
                    }));
    if (!info.isOpen())
        return errno;
    const ssize_t written =
        retryInterrupted([&] { return fs_.write(info.get(), text.constData(), size_t(text.size())); });
    int error = written < 0 ? errno : written < text.size() ? ENOSPC : 0;
    if (!error && fs_.fsync(info.get()) < 0)
        error = errno;
    if (!error && info.closeChecked() < 0)
        error = errno;
    if (error)
        fs_.unlinkat(infoDirectory, infoName.constData(), 0);
    return error;
}

// The link is synced before a move takes the file from its place, so it is never only in memory.
int Trash::linkIn(const File& file, int files, const QByteArray& entry) {
    if (fs_.linkat(file.directory, file.name.constData(), files, entry.constData(), 0) < 0)
        return errno;
    int error = syncDirectory(fs_, files);
    if (!error)
        error = leavePlace(file);
    if (error)
        fs_.unlinkat(files, entry.constData(), 0);
    return error;
}

// The safe copy of every bag copy, into a name that is checked to be free: it never writes through a link.
int Trash::copyIn(const File& file, int files, const QByteArray& target, const QByteArray& entry) {
    struct stat status {};
    if (fs_.fstatat(files, entry.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    int error = AtomicFileCopy(fs_).copy(file.path, target).error;
    if (!error)
        error = leavePlace(file);
    if (error)
        fs_.unlinkat(files, entry.constData(), 0);
    return error;
}

int Trash::leavePlace(const File& file) {
    if (file.placement == Placement::Move && fs_.unlinkat(file.directory, file.name.constData(), 0) < 0)
        return errno;
    return 0;
}

int Trash::makeHomeCan() {
    for (const char* part : {"files", "info"}) {
        const QByteArray path = joined(owner_.homeTrash, part);
        for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
            if (const int error = makeDirectory(slash < 0 ? path : path.left(slash)))
                return error;
            if (slash < 0)
                break;
        }
    }
    return 0;
}

// Whoever needs a trash under $topdir first makes it; it is trusted only when it is ours and no link.
int Trash::makeTopdirCan(const QByteArray& can) {
    if (const int error = makeDirectory(can))
        return error;
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, can.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return errno;
    if (!S_ISDIR(status.st_mode) || status.st_uid != owner_.uid)
        return EPERM;
    for (const char* part : {"files", "info"})
        if (const int error = makeDirectory(joined(can, part)))
            return error;
    return 0;
}

int Trash::makeDirectory(const QByteArray& path) {
    if (fs_.mkdirat(AT_FDCWD, path.constData(), privateDirectoryMode) == 0 || errno == EEXIST)
        return 0;
    return errno;
}

int Trash::openDirectory(const QByteArray& path) {
    return retryInterrupted(
        [&] { return fs_.open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
}

// The mount point: the highest directory above folder that is still on the same device.
QByteArray Trash::topdirOf(QByteArray folder, dev_t device) {
    while (folder != "/") {
        const QByteArray parent = NativePath::split(folder).directory;
        struct stat status {};
        if (fs_.fstatat(AT_FDCWD, parent.constData(), &status, 0) < 0 || status.st_dev != device)
            break;
        folder = parent;
    }
    return folder;
}

// The device of path, or of the nearest directory above it that exists: where it would be made.
dev_t Trash::deviceOf(QByteArray path) {
    for (;;) {
        struct stat status {};
        if (fs_.fstatat(AT_FDCWD, path.constData(), &status, 0) == 0)
            return status.st_dev;
        if (path == "/")
            return dev_t(-1);
        path = NativePath::split(path).directory;
    }
}

// The absolute path of an open directory, as the kernel knows it.
int Trash::pathOf(int directory, QByteArray& path) {
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(directory);
    const ssize_t length = fs_.readlink(link.constData(), buffer, sizeof buffer);
    if (length < 0)
        return errno;
    if (size_t(length) >= sizeof buffer)
        return ENAMETOOLONG;
    path = QByteArray(buffer, length);
    return path.startsWith('/') ? 0 : ENOENT;
}
