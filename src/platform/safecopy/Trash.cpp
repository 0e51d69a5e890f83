#include "platform/safecopy/Trash.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/FilePlace.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/safecopy/ByteCopy.h"
#include "platform/safecopy/TemporaryFile.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QUtf8StringView>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr mode_t privateDirectoryMode = 0700;
constexpr mode_t privateFileMode = 0600;
constexpr int numberedNames = 100; // NAME, NAME.2 ... NAME.100; random endings after that
const QByteArray infoSuffix = ".trashinfo";

QByteArray joined(const QByteArray& directory, const QByteArray& name) {
    return directory.endsWith('/') ? directory + name : directory + '/' + name;
}

// Path= is percent-encoded as in URLs, slashes kept; the date is the user's local time.
QByteArray infoText(const QByteArray& recordedPath) {
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

// The attempt-th candidate: the name, then numbered, then with a random ending, which cannot run out
// however many entries of the name the trash holds. A name too long to take its ending and ".trashinfo"
// within one file name is cut short, between two characters where it is UTF-8.
QByteArray entryName(const QByteArray& name, int attempt) {
    const QByteArray ending = attempt == 0 ? QByteArray()
                              : attempt < numberedNames
                                  ? '.' + QByteArray::number(attempt + 1)
                                  : '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    qsizetype room = NAME_MAX - infoSuffix.size() - ending.size();
    if (name.size() <= room)
        return name + ending;
    if (QUtf8StringView(name).isValidUtf8())
        while (room > 0 && (uchar(name[room]) & 0xc0) == 0x80)
            --room;
    return name.left(room) + ending;
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

StepResult Trash::keep(int directory, const FilePlace& place, TrashEntry& entry) {
    entry = {};
    struct stat status {};
    if (fs_.fstatat(directory, place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return StepResult::fromErrno(errno == ENOENT ? 0 : errno);
    if (!S_ISREG(status.st_mode))
        return {};
    File file{directory, place.name, {}, {}, status.st_dev};
    StepResult result = resolve(place.directory, file.folder);
    if (result) {
        file.path = joined(file.folder, place.name);
        result = put(file, entry);
    }
    // A file written to while it was copied is not the trash's fault: that step simply fails.
    if (!result && !result.is(StepResult::Kind::SourceChanged)) {
        result.kind = StepResult::Kind::NotTrashable;
        result.file = file.path.isEmpty() ? place.name : file.path;
    }
    return result;
}

void Trash::withdraw(const TrashEntry& entry) {
    if (entry.name.isEmpty())
        return;
    fs_.unlinkat(AT_FDCWD, joined(entry.can, "files/" + entry.name).constData(), 0);
    fs_.unlinkat(AT_FDCWD, joined(entry.can, "info/" + entry.name + infoSuffix).constData(), 0);
}

void Trash::removeLeftovers(const QList<QByteArray>& folders) {
    QList<QByteArray> cans;
    if (!owner_.homeTrash.isEmpty())
        cans.append(owner_.homeTrash);
    for (const QByteArray& folder : folders)
        if (const dev_t device = deviceOf(folder); device != dev_t(-1))
            for (const QByteArray& can : topdirCans(folder, device))
                if (!cans.contains(can))
                    cans.append(can);
    for (const QByteArray& can : std::as_const(cans)) {
        const QByteArray info = joined(can, "info/");
        TemporaryFile::removeLeftovers(fs_, joined(can, "files"), [&](int, const QByteArray& name) {
            struct stat status {};
            return fs_.fstatat(AT_FDCWD, (info + name + infoSuffix).constData(), &status,
                               AT_SYMLINK_NOFOLLOW) == 0;
        });
    }
}

StepResult Trash::put(const File& file, TrashEntry& entry) {
    const bool homeKnown = !owner_.homeTrash.isEmpty();
    if (homeKnown && deviceOf(owner_.homeTrash) == file.device) {
        if (makeCan(owner_.homeTrash) && enter(owner_.homeTrash, file.path, file, Placement::Link, entry))
            return {};
    } else if (putInTopdirTrash(file, entry)) {
        return {};
    }
    if (!homeKnown)
        return StepResult::fromErrno(ENOENT);
    if (StepResult made = makeCan(owner_.homeTrash); !made)
        return made;
    return enter(owner_.homeTrash, file.path, file, Placement::Copy, entry);
}

// The administrator's $topdir/.Trash/$uid when .Trash is a real directory with the sticky bit, else
// $topdir/.Trash-$uid. Paths in these are recorded relative to $topdir.
StepResult Trash::putInTopdirTrash(const File& file, TrashEntry& entry) {
    const QByteArray topdir = topdirOf(file.folder, file.device);
    const QByteArray relative = file.path.mid(topdir.endsWith('/') ? topdir.size() : topdir.size() + 1);
    StepResult result = StepResult::fromErrno(ENOENT);
    for (const QByteArray& can : topdirCans(file.folder, file.device)) {
        result = makeTopdirCan(can);
        if (result)
            result = enter(can, relative, file, Placement::Link, entry);
        if (result)
            break;
    }
    return result;
}

// One entry: the info first, synced with its directory, then the file under the first free name. A name is
// taken when either half of an entry holds it, whoever left it there: a file without its info is never
// overwritten, moved or deleted, and our info written beside it is taken back before the next name.
StepResult Trash::enter(const QByteArray& can, const QByteArray& recordedPath, const File& file,
                        Placement placement, TrashEntry& entry) {
    Descriptor info(fs_, Directory::open(fs_, joined(can, "info"), O_NOFOLLOW));
    if (!info.isOpen())
        return StepResult::fromErrno(errno);
    Descriptor files(fs_, Directory::open(fs_, joined(can, "files"), O_NOFOLLOW));
    if (!files.isOpen())
        return StepResult::fromErrno(errno);
    QByteArray temporary;
    int fd = -1;
    if (placement == Placement::Copy)
        if (StepResult copied = copyToTemporary(file, files.get(), temporary, fd); !copied)
            return copied;
    const Descriptor copy(fs_, fd); // its lock keeps the clean-up of other copies away until it is linked
    const QByteArray text = infoText(recordedPath);
    StepResult result;
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = entryName(file.name, attempt);
        const QByteArray infoName = name + infoSuffix;
        bool taken = false;
        result = isFree(files.get(), name, taken);
        if (result && !taken)
            result = writeInfo(info.get(), infoName, text, taken);
        if (taken)
            continue;
        if (result)
            result = Directory::sync(fs_, info.get());
        if (result)
            result = link(file, placement, temporary, files.get(), name, taken);
        if (result) {
            entry = {can, name};
            break;
        }
        fs_.unlinkat(info.get(), infoName.constData(), 0);
        if (!taken)
            break;
    }
    if (placement == Placement::Copy)
        fs_.unlinkat(files.get(), temporary.constData(), 0);
    return result;
}

// Whether files/name is free; even a dangling link takes the name.
StepResult Trash::isFree(int files, const QByteArray& name, bool& taken) {
    struct stat status {};
    taken = fs_.fstatat(files, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    return StepResult::fromErrno(taken || errno == ENOENT ? 0 : errno);
}

// The file goes in under name, synced. A name that something took since it was looked at fails the
// attempt with taken set, and nothing of it stays.
StepResult Trash::link(const File& file, Placement placement, const QByteArray& temporary, int files,
                       const QByteArray& name, bool& taken) {
    const bool linked =
        (placement == Placement::Copy
             ? fs_.linkat(files, temporary.constData(), files, name.constData(), 0)
             : fs_.linkat(file.directory, file.name.constData(), files, name.constData(), 0)) == 0;
    if (!linked) {
        taken = errno == EEXIST;
        return StepResult::fromErrno(errno);
    }
    const StepResult synced = Directory::sync(fs_, files);
    if (!synced)
        fs_.unlinkat(files, name.constData(), 0);
    return synced;
}

// The checked copy into a temporary file of the trash's own files folder, synced; it never writes through
// a link.
StepResult Trash::copyToTemporary(const File& file, int files, QByteArray& temporary, int& fd) {
    Descriptor from(fs_, retryInterrupted([&] {
                        return fs_.openat(file.directory, file.name.constData(),
                                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
                    }));
    if (!from.isOpen())
        return StepResult::fromErrno(errno);
    struct stat before {};
    StepResult result = ByteCopy::checkRegularFile(fs_, from.get(), before);
    if (result)
        result = TemporaryFile::create(fs_, files, privateFileMode, temporary, fd);
    if (!result)
        return result;
    result = ByteCopy::copy(fs_, from.get(), before, fd);
    if (result && fs_.fsync(fd) < 0)
        result = StepResult::fromErrno(errno);
    if (!result) {
        fs_.unlinkat(files, temporary.constData(), 0);
        fs_.close(fd);
        fd = -1;
    }
    return result;
}

StepResult Trash::writeInfo(int infoDirectory, const QByteArray& infoName, const QByteArray& text,
                            bool& taken) {
    Descriptor info(fs_, retryInterrupted([&] {
                        return fs_.openat(infoDirectory, infoName.constData(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFileMode);
                    }));
    taken = !info.isOpen() && errno == EEXIST;
    if (!info.isOpen())
        return StepResult::fromErrno(errno);
    StepResult result = ByteCopy::writeAll(fs_, info.get(), text);
    if (result && fs_.fsync(info.get()) < 0)
        result = StepResult::fromErrno(errno);
    if (result)
        result = info.closeChecked();
    if (!result)
        fs_.unlinkat(infoDirectory, infoName.constData(), 0);
    return result;
}

StepResult Trash::makeCan(const QByteArray& can) {
    StepResult made = Directory::make(fs_, joined(can, "files"), privateDirectoryMode);
    return made ? Directory::make(fs_, joined(can, "info"), privateDirectoryMode) : made;
}

// Whoever needs a trash under $topdir first makes it; it is trusted only when it is ours and no link.
StepResult Trash::makeTopdirCan(const QByteArray& can) {
    if (fs_.mkdirat(AT_FDCWD, can.constData(), privateDirectoryMode) < 0 && errno != EEXIST)
        return StepResult::fromErrno(errno);
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, can.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return StepResult::fromErrno(errno);
    if (!S_ISDIR(status.st_mode) || status.st_uid != owner_.uid)
        return StepResult::fromErrno(EPERM);
    return makeCan(can);
}

// The trashes of a mount, in the order they are tried.
QList<QByteArray> Trash::topdirCans(const QByteArray& folder, dev_t device) {
    const QByteArray topdir = topdirOf(folder, device);
    const QByteArray uid = QByteArray::number(qulonglong(owner_.uid));
    const QByteArray shared = joined(topdir, ".Trash");
    QList<QByteArray> cans;
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, shared.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX))
        cans.append(joined(shared, uid));
    cans.append(joined(topdir, ".Trash-" + uid));
    return cans;
}

// The mount point: the highest directory above folder that is still on the same device.
QByteArray Trash::topdirOf(QByteArray folder, dev_t device) {
    while (folder != "/") {
        const QByteArray parent = FilePlace::split(folder).directory;
        struct stat status {};
        if (parent == folder || fs_.fstatat(AT_FDCWD, parent.constData(), &status, 0) < 0 ||
            status.st_dev != device)
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
        if (path == "/" || path == ".")
            return dev_t(-1);
        path = FilePlace::split(path).directory;
    }
}

// Path= and the search for the top of the file's mount want the directory's absolute path, without links.
StepResult Trash::resolve(const QByteArray& directory, QByteArray& path) {
    char buffer[PATH_MAX];
    if (!fs_.realpath(directory.constData(), buffer))
        return StepResult::fromErrno(errno);
    path = buffer;
    return {};
}
