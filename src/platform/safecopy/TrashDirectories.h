#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <QList>
#include <sys/types.h>

// Whose trash it is and where the home trash lies. The environment is read here and nowhere else.
struct TrashOwner {
    // $XDG_DATA_HOME/Trash, else ~/.local/share/Trash, the home from $HOME or the password database; empty
    // when there is none: never a trash at the root of the file system
    QByteArray homeTrash;
    uid_t uid = 0;

    static TrashOwner fromEnvironment();
};

// Where the trashes are that file managers and trash-cli read: the home trash, and on another mount its
// $topdir/.Trash/$uid (when .Trash is a real directory with the sticky bit) or $topdir/.Trash-$uid.
class TrashDirectories {
public:
    TrashDirectories(FileSystem& fs, TrashOwner owner) : fs_(fs), owner_(std::move(owner)) {}

    const QByteArray& home() const { return owner_.homeTrash; }
    // The trashes of the mount that holds folder, in the order they are tried, and that mount's top.
    QList<QByteArray> ofMount(const QByteArray& folder, dev_t device);
    QByteArray topOf(QByteArray folder, dev_t device);
    // The home trash and those of the mounts of these folders, each once.
    QList<QByteArray> used(const QList<QByteArray>& folders);
    // The device of path, or of the nearest directory above it that exists: where it would be made.
    dev_t deviceOf(QByteArray path);
    // Makes the files and info folders of a trash; one under a mount's top is trusted only when it is ours
    // and no link.
    StepResult make(const QByteArray& trashDirectory);
    StepResult makeOnMount(const QByteArray& trashDirectory);

private:
    FileSystem& fs_;
    TrashOwner owner_;
};
