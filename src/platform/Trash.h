#pragma once

#include "platform/FileSystem.h"
#include "platform/StepResult.h"

#include <QByteArray>
#include <sys/types.h>
#include <utility>

// Whose trash it is and where the home trash lies. The environment is read here and nowhere else.
struct TrashOwner {
    QByteArray homeTrash; // $XDG_DATA_HOME/Trash, else $HOME/.local/share/Trash; empty when neither is set
    uid_t uid = 0;

    static TrashOwner fromEnvironment();
};

// The desktop trash that file managers and trash-cli read: files/NAME beside info/NAME.trashinfo, in the
// home trash or, for a file on another mount, in that mount's $topdir/.Trash/$uid or $topdir/.Trash-$uid.
// The .trashinfo is created first (O_EXCL picks the free name: NAME, NAME.2, ...) and synced before the
// file goes in, so a kill at any moment leaves at worst an info file without its file, which readers
// ignore. Where no trash on the file's own file system can take it, a checked copy goes to the home
// trash. A failure leaves no entry behind, and the file where it was.
class Trash {
public:
    Trash(FileSystem& fs, TrashOwner owner) : fs_(fs), owner_(std::move(owner)) {}

    // Puts the regular file name of directory into the trash and leaves it in place as well (a hard link,
    // or a copy), for the caller to replace with one rename.
    StepResult keep(int directory, const QByteArray& name);
    // Moves the regular file name of directory into the trash: a hard link or a copy, synced, then an unlink.
    // Where the unlink fails, the entry goes again and the file stays.
    StepResult moveIn(int directory, const QByteArray& name);

private:
    enum class Placement { Link, Move };
    struct File {
        int directory;
        QByteArray name;
        QByteArray path; // absolute
        dev_t device;
        Placement placement;
    };

    int put(int directory, const QByteArray& name, Placement placement);
    int putInTopdirTrash(const File& file);
    int enter(const QByteArray& can, const QByteArray& recordedPath, const File& file, bool copy);
    int writeInfo(int infoDirectory, const QByteArray& infoName, const QByteArray& text);
    int linkIn(const File& file, int files, const QByteArray& entry);
    int copyIn(const File& file, int files, const QByteArray& target, const QByteArray& entry);
    int leavePlace(const File& file);
    int makeHomeCan();
    int makeTopdirCan(const QByteArray& can);
    int makeDirectory(const QByteArray& path);
    int openDirectory(const QByteArray& path);
    QByteArray topdirOf(QByteArray folder, dev_t device);
    dev_t deviceOf(QByteArray path);
    int pathOf(int directory, QByteArray& path);

    FileSystem& fs_;
    TrashOwner owner_;
};
