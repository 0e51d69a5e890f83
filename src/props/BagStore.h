#pragma once

#include "platform/PermanentDelete.h"
#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/safecopy/Trash.h"
#include "props/BagNames.h"

#include <QByteArray>
#include <QString>

class FileSystem;

// Whole-file operations on prop bags and the client's live file. Contents are never looked at.
// Copies replace their destination atomically: it is always either exactly as before or exactly the new copy.
// What a copy or rename replaces and what a delete removes goes to the desktop trash first. Where no trash
// can take such a file, the step is done only with consent; without it, it fails with nothing changed and
// fails as NotTrashable. Replaces and deletes in one directory wait for each other, across
// running copies of the program. Directories and names are taken as the file system spells them, byte for
// byte.
class BagStore {
public:
    explicit BagStore(FileSystem& fs, TrashOwner trash = TrashOwner::fromEnvironment());

    StepResult copyFile(const FilePlace& source, const FilePlace& destination,
                        PermanentDelete consent = PermanentDelete::NotAgreed);
    // A symbolic link goes alone, its target untouched: nothing is kept of it, and nothing asked.
    StepResult deleteFile(const FilePlace& file, PermanentDelete consent = PermanentDelete::NotAgreed);
    // The file gets newName in its own directory, in one step.
    StepResult renameFile(const FilePlace& file, const QByteArray& newName,
                          PermanentDelete consent = PermanentDelete::NotAgreed);
    // Success when the directory holds an entry of this name (a link counts, wherever it points).
    StepResult exists(const FilePlace& file) const;
    // Names (with extension, without directory) of the regular files in directory ending in ".prp"; when
    // it could not be read, those read before the failure.
    StepValue<BagNames> listBags(const QString& directory) const;
    // Removes our own temporary files left behind by an earlier run that was killed mid-copy; those that
    // another running copy of the program is still writing stay.
    void removeLeftoverTemporaries(const QString& directory);
    // At start-up: the leftovers beside the bags and beside the live file, which a killed load leaves, and
    // those in the trashes that their files go to.
    void removeLeftoversAtStart(const QString& programDirectory, const QString& palaceDirectory);

private:
    bool replacesAnother(int directory, const QByteArray& from, const QByteArray& to);

    FileSystem& fs_;
    Trash trash_;
};
