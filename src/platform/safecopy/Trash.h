#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>
#include <QList>
#include <sys/types.h>
#include <utility>

// Whose trash it is and where the home trash lies. The environment is read here and nowhere else.
struct TrashOwner {
    QByteArray homeTrash; // $XDG_DATA_HOME/Trash, else $HOME/.local/share/Trash; empty when neither is set
    uid_t uid = 0;

    static TrashOwner fromEnvironment();
};

// One file kept in a trash: files/name beside info/name.trashinfo in the trash folder can.
struct TrashEntry {
    QByteArray can;
    QByteArray name; // empty: nothing was kept
};

// The desktop trash that file managers and trash-cli read: files/NAME beside info/NAME.trashinfo, in the
// home trash or, for a file on another mount, in that mount's $topdir/.Trash/$uid or $topdir/.Trash-$uid.
// The .trashinfo is created first (O_EXCL picks the free name: NAME, NAME.2, ..., then random endings, a
// long NAME cut short so that every name fits; Path= keeps the whole path) and synced before the file goes
// in. Where no trash on the file's own file system can take it, a checked copy goes to the home trash: to a
// locked temporary file first, linked to its entry name only when complete. A failure leaves no entry.
class Trash {
public:
    Trash(FileSystem& fs, TrashOwner owner) : fs_(fs), owner_(std::move(owner)) {}

    // Puts the regular file into the trash and leaves it in place as well (a hard link, or a copy), for the
    // caller to replace or remove with one call; directory is the file's directory, open. A missing file, a
    // symbolic link or a special file loses nothing worth keeping: nothing is kept, and entry.name stays
    // empty. When no trash can take the file, it fails as NotTrashable, naming it.
    StepResult keep(int directory, const FilePlace& place, TrashEntry& entry);
    // Takes back what keep put away, when the step it was kept for did not happen.
    void withdraw(const TrashEntry& entry);
    // Removes the temporary files that killed copies left in the home trash and in the trashes of the mounts
    // of these folders, where no entry names them and nobody holds them.
    void removeLeftovers(const QList<QByteArray>& folders);

private:
    enum class Placement { Link, Copy };
    struct File {
        int directory;
        QByteArray name;
        QByteArray folder; // absolute, without links
        QByteArray path;   // in folder
        dev_t device;
    };

    StepResult put(const File& file, TrashEntry& entry);
    StepResult putInTopdirTrash(const File& file, TrashEntry& entry);
    StepResult enter(const QByteArray& can, const QByteArray& recordedPath, const File& file,
                     Placement placement, TrashEntry& entry);
    StepResult isFree(int files, const QByteArray& name, bool& taken);
    StepResult link(const File& file, Placement placement, const QByteArray& temporary, int files,
                    const QByteArray& name, bool& taken);
    StepResult copyToTemporary(const File& file, int files, QByteArray& temporary, int& fd);
    StepResult writeInfo(int infoDirectory, const QByteArray& infoName, const QByteArray& text, bool& taken);
    StepResult makeCan(const QByteArray& can);
    StepResult makeTopdirCan(const QByteArray& can);
    QList<QByteArray> topdirCans(const QByteArray& folder, dev_t device);
    QByteArray topdirOf(QByteArray folder, dev_t device);
    dev_t deviceOf(QByteArray path);
    StepResult resolve(const QByteArray& directory, QByteArray& path);

    FileSystem& fs_;
    TrashOwner owner_;
};
