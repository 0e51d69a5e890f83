#include "app/BagList.h"
#include "app/Form1.h"
#include "app/Form1Texts.h"
#include "app/Prompter.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "props/RunningClientRefusal.h"
#include "settings/SettingsStore.h"

#include <QPushButton>

void Form1::Command2_Click() {
    if (refusedWhileClientRuns(units_.client, units_.prompter))
        return;
    Command1->setEnabled(false);
    File1->setEnabled(false);
    QString Sbox;
    Fsave(Sbox);
    File1->setEnabled(true);
}

void Form1::Fsave(QString& Sbox) {
    Selpath = units_.settings.readSetting(PalacePathSetting::application, PalacePathSetting::section,
                                          PalacePathSetting::key);
    Command2->setEnabled(false);
    Sbox = units_.prompter.askText(Form1Texts::namePrompt, Form1Texts::saveNameTitle,
                                   Form1Texts::defaultBagName);
    if (!Sbox.isEmpty()) {
        // A name that is not one file name is refused like any other failed copy: nothing is written.
        const bool saved = BagPaths::isSingleFileName(Sbox) &&
                           units_.bags.copyFile(BagPaths::liveFile(Selpath), BagPaths::newBag(Apath, Sbox));
        if (!saved) {
            units_.prompter.showMessage(Form1Texts::palaceFilesText, MessageStyle::Critical,
                                        Form1Texts::palaceFilesTitle);
            return;
        }
    }
    File1->refresh();
    Command2->setEnabled(true);
}
