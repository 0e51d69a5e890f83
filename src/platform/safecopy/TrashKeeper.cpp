#include "platform/safecopy/TrashKeeper.h"

StepResult TrashKeeper::keep(int directory, const FilePlace& file) {
    const StepResult kept = trash_.keep(directory, file, kept_);
    if (!kept && !kept.notTrashable.isEmpty() && consent_ == PermanentDelete::Agreed)
        return {};
    return kept;
}

void TrashKeeper::giveBack() {
    trash_.withdraw(kept_);
    kept_ = {};
}
