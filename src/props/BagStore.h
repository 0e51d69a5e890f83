#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/safecopy/FileSteps.h"
#include "props/BagName.h"
#include "props/BagNames.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <ctime>

class FileSystem;

// What the list's long form and the marker of the loaded bag show of one bag.
struct BagStatus {
    qint64 size = -1; // -1: the bag could not be looked at
    timespec modified{};
    bool loaded = false; // its bytes are exactly those of the live file
};

// The prop bags of the program directory, reached by their names, and the client's live file. A bag is a
// whole file whose contents are never looked at; every step is one of the safe file steps, so what a save,
// load, rename or delete replaces or removes goes to the trash first, and where no trash can take it, ask is
// asked before it is destroyed.
class BagStore {
public:
    BagStore(FileSystem& fs, FileSteps& steps, QByteArray programDirectory);

    StepResult save(const FilePlace& liveFile, const BagName& bag, const AskBeforeLoss& ask = {});
    StepResult load(const BagName& bag, const FilePlace& liveFile, const AskBeforeLoss& ask = {});
    StepResult remove(const BagName& bag, const AskBeforeLoss& ask = {});
    // The bag's own name changes nothing once the bag is found: a rename onto itself would lose it.
    StepResult rename(const BagName& bag, const BagName& newName, const AskBeforeLoss& ask = {});
    StepResult exists(const BagName& bag) const;
    // The bags in the order the list shows them; when the folder could not be read, those read before.
    StepValue<BagNames> list() const;
    // Each listed bag's status, row by row; a bag is loaded when it holds exactly the live file's bytes. Only
    // bags of the live file's size are opened, and only to be read.
    QList<BagStatus> statuses(const BagNames& names, const FilePlace& liveFile) const;
    // The same for the rows from first up to end, so that a long listing can be looked at a part at a time.
    QList<BagStatus> statuses(const BagNames& names, const FilePlace& liveFile, qsizetype first,
                              qsizetype end) const;
    // The versions of a file that the trashes the bags and the live file go to keep, newest first.
    StepValue<QList<TrashedVersion>> versionsOf(const FilePlace& file, const FilePlace& liveFile) const;
    // The listed bags that hold exactly a version's bytes, given their statuses.
    QList<qsizetype> copiesOf(const TrashedVersion& version, const BagNames& names,
                              const QList<BagStatus>& statuses) const;
    StepResult restore(const TrashedVersion& version, const FilePlace& destination,
                       const AskBeforeLoss& ask = {});
    // At start-up: the leftovers of killed copies beside the bags and beside the live file, and in the
    // trashes their files go to.
    void removeLeftovers(const FilePlace& liveFile);

    const QByteArray& directory() const { return directory_; }
    FilePlace place(const BagName& bag) const { return {directory_, bag.bytes()}; }

private:
    FileSystem& fs_;
    FileSteps& steps_;
    QByteArray directory_;
};
