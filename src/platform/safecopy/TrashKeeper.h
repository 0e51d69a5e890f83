#pragma once

#include "platform/PermanentDelete.h"
#include "platform/safecopy/FileKeeper.h"
#include "platform/safecopy/Trash.h"

// Keeps what one step replaces or removes in the trash. Where no trash can take it, the step goes on only
// with the user's word; without it, it stops as NotTrashable.
class TrashKeeper : public FileKeeper {
public:
    TrashKeeper(Trash& trash, PermanentDelete consent) : trash_(trash), consent_(consent) {}

    StepResult keep(int directory, const FilePlace& file) override {
        const StepResult kept = trash_.keep(directory, file, kept_);
        if (kept.is(StepResult::Kind::NotTrashable) && consent_ == PermanentDelete::Agreed)
            return {};
        return kept;
    }

    void giveBack() override {
        trash_.withdraw(kept_);
        kept_ = {};
    }

private:
    Trash& trash_;
    PermanentDelete consent_;
    TrashEntry kept_;
};
