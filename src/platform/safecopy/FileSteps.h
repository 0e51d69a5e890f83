#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"
#include "platform/safecopy/Trash.h"

#include <QByteArray>
#include <functional>

// Asked when no trash can take a file that a step is about to destroy for good, with the failure that names
// it, while nothing is changed yet; true lets the step go on without keeping the file. Nobody asking is no.
using AskBeforeLoss = std::function<bool(const StepResult& stopped)>;

// The steps that change a file in its folder, each so that nothing is lost and nothing half-written, and
// each the same way: what the step displaces is kept in the trash under the folder's lock, which every
// running copy of the program takes before it replaces or removes a file there; the one call that changes
// the folder follows; a failure of it takes back what was kept; the folder is synced. A copy goes to a
// locked temporary file in the destination's folder first, synced, so that the destination is at every
// moment either exactly as it was or exactly the new copy; a destination that is a symbolic link keeps the
// link and has the file it points to replaced. A source written to during a copy is copied once more, and a
// second change fails the copy. Names are taken as the file system spells them, byte for byte; a failure
// names the file at fault. Without a trash, what a step displaces is not kept.
class FileSteps {
public:
    explicit FileSteps(FileSystem& fs, Trash* trash = nullptr) : fs_(fs), trash_(trash) {}

    StepResult copy(const FilePlace& source, const FilePlace& destination, const AskBeforeLoss& ask = {});
    // Replaces the destination with the given bytes, in the same way and with the same promises.
    StepResult write(const FilePlace& destination, const QByteArray& bytes);
    // Copies to the first of stem, stem-1, stem-2 ... that nothing has taken, so that nothing is replaced.
    StepResult copyToFreshName(const FilePlace& source, const FilePlace& stem);
    // A symbolic link goes alone, its target untouched: nothing is kept of it, and nothing asked.
    StepResult remove(const FilePlace& file, const AskBeforeLoss& ask = {});
    // The file gets newName in its own folder, in one step; one file under both names stays as it is.
    StepResult rename(const FilePlace& file, const QByteArray& newName, const AskBeforeLoss& ask = {});
    // Version leaves the trash for the destination's place, whatever it displaces kept in the trash; on
    // another file system it is copied first and leaves the trash only once the copy is in place. A version
    // that is no longer there fails as NotThere.
    StepResult restore(const TrashEntry& version, const FilePlace& destination,
                       const AskBeforeLoss& ask = {});
    // The versions of the file kept in the home trash and in those of these folders' mounts, newest first.
    StepValue<QList<TrashedVersion>> versionsOf(const FilePlace& file, const QList<QByteArray>& folders);
    // Success when the folder holds an entry of this name (a link counts, wherever it points).
    StepResult exists(const FilePlace& file);
    // Our own temporary files that killed copies left in these folders and in the trashes their files go to,
    // where nobody holds them; those another running copy is still writing stay.
    void removeLeftovers(const QList<QByteArray>& folders);

private:
    // The one call that changes the folder: a rename into it, or an unlink when to is empty.
    struct Change {
        int fromDirectory;
        QByteArray from;
        QByteArray to;
        bool renames = false; // a file of the folder to another name, which may be the same file
    };
    using Fill = std::function<StepResult(int temporary)>;

    StepResult replaceWith(const FilePlace& destination, const Fill& fill, const AskBeforeLoss& ask,
                           const TrashEntry& leaving = {});
    StepResult displace(int directory, const FilePlace& displaced, const AskBeforeLoss& ask,
                        const Change& change, const TrashEntry& leaving);
    StepResult locate(FilePlace& where, int& directory);
    // Copies the source, a regular file in the open directory, into the temporary file.
    StepResult copyFrom(const FilePlace& source, int directory, int temporary);

    FileSystem& fs_;
    Trash* trash_;
};
