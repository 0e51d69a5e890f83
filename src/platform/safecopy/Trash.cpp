#include "platform/safecopy/Trash.h"

#include "platform/files/Descriptor.h"
#include "platform/files/Directory.h"
#include "platform/files/DirectoryReader.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/files/SameBytes.h"
#include "platform/files/WholeFile.h"
#include "platform/safecopy/ByteCopy.h"
#include "platform/safecopy/TemporaryFile.h"
#include "platform/safecopy/TrashInfo.h"

#include <QRandomGenerator>
#include <QUtf8StringView>
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr mode_t privateFileMode = 0600;
constexpr int numberedNames = 100;                     // NAME, NAME.2 ... NAME.100; random endings after that
constexpr qsizetype maxInfoSize = qsizetype(64) << 10; // far more than any Path= and date take

// The attempt-th candidate: the name, then numbered, then with a random ending, which cannot run out
// however many entries of the name the trash holds. A name too long to take its ending and ".trashinfo"
// within one file name is cut short, between two characters where it is UTF-8.
QByteArray entryName(const QByteArray& name, int attempt) {
    const QByteArray ending = attempt == 0 ? QByteArray()
                              : attempt < numberedNames
                                  ? '.' + QByteArray::number(attempt + 1)
                                  : '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    qsizetype room = NAME_MAX - TrashInfo::suffix.size() - ending.size();
    if (name.size() <= room)
        return name + ending;
    if (QUtf8StringView(name).isValidUtf8())
        while (room > 0 && (uchar(name[room]) & 0xc0) == 0x80)
            --room;
    return name.left(room) + ending;
}

bool isInfoName(const QByteArray& name) {
    return name.endsWith(TrashInfo::suffix) && name.size() > TrashInfo::suffix.size();
}

bool newer(const TrashedVersion& a, const TrashedVersion& b) {
    if (a.deletionDate != b.deletionDate)
        return a.deletionDate > b.deletionDate;
    if (a.infoTime.tv_sec != b.infoTime.tv_sec)
        return a.infoTime.tv_sec > b.infoTime.tv_sec;
    return a.infoTime.tv_nsec > b.infoTime.tv_nsec;
}
} // namespace

StepResult Trash::trash(int directory, const FilePlace& place, TrashEntry& entry) {
    entry = {};
    struct stat status {};
    if (fs_.fstatat(directory, place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return StepResult::fromErrno(errno == ENOENT ? 0 : errno);
    if (!S_ISREG(status.st_mode))
        return {};
    File file{directory, place.name, {}, {}, status.st_dev};
    const StepValue<QByteArray> folder = resolve(place.directory);
    StepResult result = folder.result;
    if (result) {
        file.folder = folder.value;
        file.path = FilePlace{file.folder, place.name}.path();
        result = put(file, entry);
    }
    // A file written to while it was copied is not the trash's fault: that step simply fails.
    if (!result && !result.is(StepResult::Kind::SourceChanged)) {
        result.kind = StepResult::Kind::NotTrashable;
        result.file = file.path.isEmpty() ? place.name : file.path;
    }
    return result;
}

void Trash::untrash(const TrashEntry& entry) {
    if (entry.name.isEmpty())
        return;
    fs_.unlinkat(AT_FDCWD, (entry.files() + '/' + entry.name).constData(), 0);
    fs_.unlinkat(AT_FDCWD, (entry.trashDirectory + "/info/" + entry.name + TrashInfo::suffix).constData(), 0);
}

bool Trash::holds(const TrashEntry& entry) {
    struct stat status {};
    return fs_.fstatat(AT_FDCWD, (entry.files() + '/' + entry.name).constData(), &status,
                       AT_SYMLINK_NOFOLLOW) == 0;
}

StepValue<QList<TrashedVersion>> Trash::versionsOf(const FilePlace& file, const QList<QByteArray>& folders) {
    StepValue<QList<TrashedVersion>> found;
    const StepValue<QByteArray> folder = resolve(file.directory);
    if (!folder)
        return {{}, folder.result};
    // A file that is a symbolic link had the file it points to replaced, and kept under that one's path.
    const StepValue<QByteArray> target = resolve(file.path());
    // Whoever recorded the path may not have resolved its links.
    QList<QByteArray> paths{target ? target.value : FilePlace{folder.value, file.name}.path()};
    if (file.directory.startsWith('/') && file.path() != paths.first())
        paths.append(file.path());
    if (!directories_.home().isEmpty())
        versionsIn(directories_.home(), paths, {}, found.value);
    QList<QByteArray> seen{directories_.home()};
    for (const QByteArray& folderUsed : folders)
        if (const dev_t device = directories_.deviceOf(folderUsed); device != dev_t(-1))
            for (const QByteArray& trashDirectory : directories_.ofMount(folderUsed, device))
                if (!seen.contains(trashDirectory)) {
                    seen.append(trashDirectory);
                    versionsIn(trashDirectory, paths, directories_.topOf(folderUsed, device), found.value);
                }
    std::sort(found.value.begin(), found.value.end(), newer);
    return found;
}

void Trash::removeLeftovers(const QList<QByteArray>& folders) {
    for (const QByteArray& trashDirectory : directories_.used(folders)) {
        const QByteArray info = trashDirectory + "/info/";
        TemporaryFile::removeLeftovers(fs_, trashDirectory + "/files", [&](int, const QByteArray& name) {
            struct stat status {};
            return fs_.fstatat(AT_FDCWD, (info + name + TrashInfo::suffix).constData(), &status,
                               AT_SYMLINK_NOFOLLOW) == 0;
        });
        removeUnfinishedInfos(trashDirectory);
    }
}

StepResult Trash::put(const File& file, TrashEntry& entry) {
    const QByteArray& home = directories_.home();
    if (!home.isEmpty() && directories_.deviceOf(home) == file.device) {
        if (directories_.make(home) && enter(home, file.path, file, Placement::Link, entry))
            return {};
    } else if (putOnMount(file, entry)) {
        return {};
    }
    if (home.isEmpty())
        return StepResult::fromErrno(ENOENT);
    if (StepResult made = directories_.make(home); !made)
        return made;
    return enter(home, file.path, file, Placement::Copy, entry);
}

// Paths in a mount's trash are recorded relative to the mount's top.
StepResult Trash::putOnMount(const File& file, TrashEntry& entry) {
    const QByteArray top = directories_.topOf(file.folder, file.device);
    const QByteArray relative = file.path.mid(top.endsWith('/') ? top.size() : top.size() + 1);
    StepResult result = StepResult::fromErrno(ENOENT);
    for (const QByteArray& trashDirectory : directories_.ofMount(file.folder, file.device)) {
        result = directories_.makeOnMount(trashDirectory);
        if (result)
            result = enter(trashDirectory, relative, file, Placement::Link, entry);
        if (result)
            break;
    }
    return result;
}

// One entry: the info first, synced with its directory, then the file under the first free name. A name is
// taken when either half of an entry holds it, whoever left it there: a file without its info is never
// overwritten, moved or deleted, and our info written beside it is taken back before the next name.
StepResult Trash::enter(const QByteArray& trashDirectory, const QByteArray& recordedPath, const File& file,
                        Placement placement, TrashEntry& entry) {
    Descriptor info(fs_, Directory::open(fs_, trashDirectory + "/info", O_NOFOLLOW));
    if (!info.isOpen())
        return StepResult::fromErrno(errno);
    Descriptor files(fs_, Directory::open(fs_, trashDirectory + "/files", O_NOFOLLOW));
    if (!files.isOpen())
        return StepResult::fromErrno(errno);
    if (alreadyKept(trashDirectory, recordedPath, file))
        return {};
    QByteArray temporary;
    int fd = -1;
    if (placement == Placement::Copy)
        if (StepResult copied = copyToTemporary(file, files.get(), temporary, fd); !copied)
            return copied;
    const Descriptor copy(fs_, fd); // its lock keeps the clean-up of other copies away until it is linked
    const QByteArray text = TrashInfo::text(recordedPath);
    StepResult result;
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = entryName(file.name, attempt);
        const QByteArray infoName = name + TrashInfo::suffix;
        bool taken = false;
        int infoFd = -1;
        result = isFree(files.get(), name, taken);
        if (result && !taken)
            result = writeInfo(info.get(), infoName, text, taken, infoFd);
        // Held until the file is in, so that no clean-up takes the info for one whose file never went in.
        const Descriptor held(fs_, infoFd);
        if (taken)
            continue;
        if (result)
            result = Directory::sync(fs_, info.get());
        if (result)
            result = link(file, placement, temporary, files.get(), name, taken);
        if (result) {
            entry = {trashDirectory, name};
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
                            bool& taken, int& fd) {
    Descriptor info(fs_, retryInterrupted([&] {
                        return fs_.openat(infoDirectory, infoName.constData(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFileMode);
                    }));
    taken = !info.isOpen() && errno == EEXIST;
    if (!info.isOpen())
        return StepResult::fromErrno(errno);
    StepResult result = StepResult::fromErrno(
        retryInterrupted([&] { return fs_.flock(info.get(), LOCK_EX); }) < 0 ? errno : 0);
    if (result)
        result = ByteCopy::writeAll(fs_, info.get(), text);
    if (result && fs_.fsync(info.get()) < 0)
        result = StepResult::fromErrno(errno);
    if (!result) {
        fs_.unlinkat(infoDirectory, infoName.constData(), 0);
        return result;
    }
    fd = info.release();
    return result;
}

// Under the folder's lock of the file, which every step on a file of that path takes: nobody else can be
// adding or taking out one of its versions meanwhile. Only files of its size are compared, and only those
// whose info records its path.
bool Trash::alreadyKept(const QByteArray& trashDirectory, const QByteArray& recordedPath, const File& file) {
    struct stat kept {};
    if (fs_.fstatat(file.directory, file.name.constData(), &kept, AT_SYMLINK_NOFOLLOW) < 0)
        return false;
    const QByteArray files = trashDirectory + "/files/";
    QList<QByteArray> sameSize;
    DirectoryReader::regularFiles(
        fs_, trashDirectory + "/files", [](const QByteArray&) { return true; }, DirectoryReader::Links::Skip,
        [&](QByteArrayView name) {
            struct stat status {};
            const QByteArray entry = name.toByteArray();
            if (fs_.fstatat(AT_FDCWD, (files + entry).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                status.st_size == kept.st_size)
                sameSize.append(entry);
        });
    const FilePlace original{file.folder, file.name};
    for (const QByteArray& name : std::as_const(sameSize)) {
        const StepValue<QByteArray> info =
            WholeFile::read(fs_, trashDirectory + "/info/" + name + TrashInfo::suffix, maxInfoSize);
        const StepValue<TrashInfo::Fields> fields =
            info ? TrashInfo::parse(info.value) : StepValue<TrashInfo::Fields>{};
        if (info && fields && fields.value.path == recordedPath &&
            SameBytes::of(fs_, original, {trashDirectory + "/files", name}))
            return true;
    }
    return false;
}

void Trash::versionsIn(const QByteArray& trashDirectory, const QList<QByteArray>& paths,
                       const QByteArray& top, QList<TrashedVersion>& versions) {
    const QByteArray info = trashDirectory + "/info/";
    QList<QByteArray> infos;
    DirectoryReader::regularFiles(fs_, trashDirectory + "/info", isInfoName, DirectoryReader::Links::Skip,
                                  [&](QByteArrayView name) { infos.append(name.toByteArray()); });
    for (const QByteArray& infoName : std::as_const(infos)) {
        const StepValue<QByteArray> text = WholeFile::read(fs_, info + infoName, maxInfoSize);
        const StepValue<TrashInfo::Fields> fields =
            text ? TrashInfo::parse(text.value) : StepValue<TrashInfo::Fields>{};
        if (!text || !fields)
            continue;
        const QByteArray& recorded = fields.value.path;
        const QByteArray path =
            recorded.startsWith('/') || top.isEmpty() ? recorded : FilePlace{top, recorded}.path();
        if (!paths.contains(path))
            continue;
        const TrashEntry entry{trashDirectory, infoName.chopped(TrashInfo::suffix.size())};
        struct stat file {};
        struct stat written {};
        if (fs_.fstatat(AT_FDCWD, (entry.files() + '/' + entry.name).constData(), &file,
                        AT_SYMLINK_NOFOLLOW) < 0 ||
            !S_ISREG(file.st_mode) ||
            fs_.fstatat(AT_FDCWD, (info + infoName).constData(), &written, AT_SYMLINK_NOFOLLOW) < 0)
            continue;
        versions.append({entry, fields.value.deletionDate, written.st_mtim, qint64(file.st_size)});
    }
}

// An info of ours whose file never went in: a copy was killed between the two. One that its writer still
// holds, or another program's, which may be half written, stays.
void Trash::removeUnfinishedInfos(const QByteArray& trashDirectory) {
    const QByteArray info = trashDirectory + "/info/";
    QList<QByteArray> unfinished;
    DirectoryReader::regularFiles(fs_, trashDirectory + "/info", isInfoName, DirectoryReader::Links::Skip,
                                  [&](QByteArrayView name) { unfinished.append(name.toByteArray()); });
    for (const QByteArray& infoName : std::as_const(unfinished)) {
        const QByteArray file = trashDirectory + "/files/" + infoName.chopped(TrashInfo::suffix.size());
        struct stat status {};
        if (fs_.fstatat(AT_FDCWD, file.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
            continue;
        const Descriptor held(fs_, retryInterrupted([&] {
                                  return fs_.openat(AT_FDCWD, (info + infoName).constData(),
                                                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
                              }));
        if (!held.isOpen() || retryInterrupted([&] { return fs_.flock(held.get(), LOCK_EX | LOCK_NB); }) < 0)
            continue;
        // Its writer may have linked the file and let go in between.
        if (fs_.fstatat(AT_FDCWD, file.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
            continue;
        const StepValue<QByteArray> text = WholeFile::read(fs_, info + infoName, maxInfoSize);
        if (text && TrashInfo::parse(text.value).value.ours)
            fs_.unlinkat(AT_FDCWD, (info + infoName).constData(), 0);
    }
}

// Path= and the search for the top of the file's mount want the directory's absolute path, without links.
StepValue<QByteArray> Trash::resolve(const QByteArray& directory) {
    char buffer[PATH_MAX];
    if (!fs_.realpath(directory.constData(), buffer))
        return {{}, StepResult::fromErrno(errno)};
    return {QByteArray(buffer), {}};
}
