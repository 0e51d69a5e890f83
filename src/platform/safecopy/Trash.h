#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"
#include "platform/safecopy/TrashDirectories.h"

#include <QByteArray>
#include <QList>
#include <ctime>
#include <sys/types.h>

// One file kept in a trash: files/name beside info/name.trashinfo in the trash directory.
struct TrashEntry {
    QByteArray trashDirectory;
    QByteArray name; // empty: nothing was kept

    QByteArray files() const { return trashDirectory + "/files"; }
};

// One version of a file that a trash keeps, whoever put it there.
struct TrashedVersion {
    TrashEntry entry;
    QByteArray deletionDate; // "YYYY-MM-DDThh:mm:ss", as its info records it
    timespec infoTime{};     // when its info was written, which tells apart versions of one second
    qint64 size = 0;
};

// The desktop trash that file managers and trash-cli read: files/NAME beside info/NAME.trashinfo, in the
// home trash or, for a file on another mount, in that mount's own trash. The .trashinfo is created first
// (O_EXCL picks the free name: NAME, NAME.2, ..., then random endings, a long NAME cut short so that every
// name fits; Path= keeps the whole path) and synced before the file goes in. Where no trash on the file's
// own file system can take it, a checked copy goes to the home trash: to a locked temporary file first,
// linked to its entry name only when complete. A failure leaves no entry. A trash that already holds the
// same bytes from the same path keeps no second copy of them.
class Trash {
public:
    Trash(FileSystem& fs, TrashOwner owner) : fs_(fs), directories_(fs, std::move(owner)) {}

    // Puts the regular file into the trash and leaves it in place as well (a hard link, or a copy), for the
    // caller to replace or remove with one call; directory is the file's directory, open, and locked by the
    // caller, so that the file does not change meanwhile. A missing file, a symbolic link or a special file
    // loses nothing worth keeping, and a version the trash already holds nothing new: nothing is kept, and
    // entry.name stays empty. When no trash can take the file, it fails as NotTrashable, naming it.
    StepResult trash(int directory, const FilePlace& place, TrashEntry& entry);
    // Takes the entry out of the trash, its file and then its info: what trash() put there, when the step it
    // was kept for did not happen, or a version that went back into place.
    void untrash(const TrashEntry& entry);
    // Whether the entry's file is still in the trash.
    bool holds(const TrashEntry& entry);
    // The versions of the file kept in the home trash and in those of the mounts of these folders, by the
    // path their info records, newest first. An entry whose file is gone or whose info cannot be read is
    // none.
    StepValue<QList<TrashedVersion>> versionsOf(const FilePlace& file, const QList<QByteArray>& folders);
    // What killed copies left in the home trash and in those of the mounts of these folders: temporary
    // files nobody holds and that no entry names, and infos of ours whose file never went in.
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
    StepResult putOnMount(const File& file, TrashEntry& entry);
    StepResult enter(const QByteArray& trashDirectory, const QByteArray& recordedPath, const File& file,
                     Placement placement, TrashEntry& entry);
    bool alreadyKept(const QByteArray& trashDirectory, const QByteArray& recordedPath, const File& file);
    void versionsIn(const QByteArray& trashDirectory, const QList<QByteArray>& paths, const QByteArray& top,
                    QList<TrashedVersion>& versions);
    StepResult isFree(int files, const QByteArray& name, bool& taken);
    StepResult link(const File& file, Placement placement, const QByteArray& temporary, int files,
                    const QByteArray& name, bool& taken);
    StepResult copyToTemporary(const File& file, int files, QByteArray& temporary, int& fd);
    StepResult writeInfo(int infoDirectory, const QByteArray& infoName, const QByteArray& text, bool& taken,
                         int& fd);
    void removeUnfinishedInfos(const QByteArray& trashDirectory);
    StepValue<QByteArray> resolve(const QByteArray& directory);

    FileSystem& fs_;
    TrashDirectories directories_;
};
