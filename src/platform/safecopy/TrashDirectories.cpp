#include "platform/safecopy/TrashDirectories.h"

#include "platform/files/Directory.h"
#include "platform/files/FilePlace.h"

#include <algorithm>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr mode_t privateDirectoryMode = 0700;
} // namespace

namespace {
// $HOME, else the home the password database gives the user, as a login shell would set it.
QByteArray homeDirectory() {
    if (const QByteArray home = qgetenv("HOME"); home.startsWith('/'))
        return home;
    std::vector<char> buffer(size_t(std::max(sysconf(_SC_GETPW_R_SIZE_MAX), 16384L)));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    const QByteArray home(found->pw_dir);
    return home.startsWith('/') ? home : QByteArray();
}
} // namespace

TrashOwner TrashOwner::fromEnvironment() {
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) { // unset, empty or relative: the default
        const QByteArray home = homeDirectory();
        data = home.isEmpty() ? QByteArray() : FilePlace::in(home, ".local/share").path();
    }
    return {data.isEmpty() ? data : FilePlace::in(data, "Trash").path(), getuid()};
}

QList<QByteArray> TrashDirectories::ofMount(const QByteArray& folder, dev_t device) {
    const QByteArray top = topOf(folder, device);
    const QByteArray uid = QByteArray::number(qulonglong(owner_.uid));
    const QByteArray shared = FilePlace::in(top, ".Trash").path();
    QList<QByteArray> found;
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, shared.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX))
        found.append(FilePlace::in(shared, uid).path());
    found.append(FilePlace::in(top, ".Trash-" + uid).path());
    return found;
}

// The mount point: the highest directory above folder that is still on the same device.
QByteArray TrashDirectories::topOf(QByteArray folder, dev_t device) {
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

QList<QByteArray> TrashDirectories::used(const QList<QByteArray>& folders) {
    QList<QByteArray> found;
    if (!owner_.homeTrash.isEmpty())
        found.append(owner_.homeTrash);
    for (const QByteArray& folder : folders)
        if (const dev_t device = deviceOf(folder); device != dev_t(-1))
            for (const QByteArray& trashDirectory : ofMount(folder, device))
                if (!found.contains(trashDirectory))
                    found.append(trashDirectory);
    return found;
}

dev_t TrashDirectories::deviceOf(QByteArray path) {
    for (;;) {
        struct stat status {};
        if (fs_.fstatat(AT_FDCWD, path.constData(), &status, 0) == 0)
            return status.st_dev;
        if (path == "/" || path == ".")
            return dev_t(-1);
        path = FilePlace::split(path).directory;
    }
}

StepResult TrashDirectories::make(const QByteArray& trashDirectory) {
    StepResult made = Directory::make(fs_, trashDirectory + "/files", privateDirectoryMode);
    return made ? Directory::make(fs_, trashDirectory + "/info", privateDirectoryMode) : made;
}

// Whoever needs a trash under the mount's top first makes it.
StepResult TrashDirectories::makeOnMount(const QByteArray& trashDirectory) {
    if (fs_.mkdirat(AT_FDCWD, trashDirectory.constData(), privateDirectoryMode) < 0 && errno != EEXIST)
        return StepResult::fromErrno(errno);
    struct stat status {};
    if (fs_.fstatat(AT_FDCWD, trashDirectory.constData(), &status, AT_SYMLINK_NOFOLLOW) < 0)
        return StepResult::fromErrno(errno);
    if (!S_ISDIR(status.st_mode) || status.st_uid != owner_.uid)
        return StepResult::fromErrno(EPERM);
    return make(trashDirectory);
}
