#pragma once

#include "platform/PermanentDelete.h"
#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "props/BagName.h"
#include "props/BagStore.h"

#include <QByteArray>
#include <QString>

// The program directory's bags, reached by their names; the store does the steps, with its guarantees.
class BagFolder {
public:
    BagFolder(BagStore& store, const QString& programDirectory);

    StepResult save(const FilePlace& liveFile, const BagName& bag, PermanentDelete consent);
    StepResult load(const BagName& bag, const FilePlace& liveFile, PermanentDelete consent);
    StepResult remove(const BagName& bag, PermanentDelete consent);
    // The bag's own name changes nothing once the bag is found: a rename onto itself would lose it.
    StepResult rename(const BagName& bag, const BagName& newName, PermanentDelete consent);
    StepResult exists(const BagName& bag) const;
    StepValue<BagNames> list() const;
    // The bag's whole path as messages show it.
    QString shownPath(const BagName& bag) const;

private:
    FilePlace place(const BagName& bag) const;

    BagStore& store_;
    QString directory_;
};
