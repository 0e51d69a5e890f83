#include "app/BagList.h"
#include "app/Form1.h"
#include "app/Form1Texts.h"
#include "app/Prompter.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"

#include <QAction>
#include <QPushButton>

namespace {

// The file step of a rename. A typed name that would leave the program directory fails like an unwritable
// one.
FileResult moveBag(BagStore& bags, const QString& typedName, const QString& bag, const QString& newBag) {
    if (!BagPaths::isSingleFileName(typedName))
        return {false, Form1Texts::notOneFileName};
    return bags.renameFile(bag, newBag);
}

} // namespace

void Form1::RenFile(QString& rfile) {
    rfile =
        units_.prompter.askText(Form1Texts::namePrompt, Form1Texts::renameTitle, Form1Texts::defaultBagName);
    if (rfile.isEmpty()) {
        units_.prompter.showMessage(Form1Texts::renameErrorText, MessageStyle::Critical,
                                    Form1Texts::renameErrorTitle);
    } else {
        const QString bag = BagPaths::bag(Apath, Selfile);
        const QString newBag = BagPaths::newBag(Apath, rfile);
        // The bag's own name: a copy-then-delete would lose it, and there is nothing to change.
        if (newBag == bag)
            return;
        if (const FileResult moved = moveBag(units_.bags, rfile, bag, newBag); !moved) {
            units_.prompter.showMessage(Form1Texts::renameFailedText(bag, newBag, moved.reason),
                                        MessageStyle::Critical, Form1Texts::renameErrorTitle);
            return;
        }
    }
    File1->refresh();
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    menRename->setEnabled(false);
}

void Form1::menRename_Click() {
    QString rfile;
    RenFile(rfile);
}
