#include "app/Form1.h"
#include "app/Form1Texts.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "props/RunningClientRefusal.h"
#include "settings/SettingsStore.h"

namespace {

// Copies the bag over the live file; a failure is reported here and ends the load.
bool copyBagOverLiveFile(BagStore& bags, Prompter& prompter, const QString& bag, const QString& liveFile) {
    const FileResult copied = bags.copyFile(bag, liveFile);
    if (!copied)
        prompter.showMessage(Form1Texts::loadErrorText(bag, liveFile, copied.reason), MessageStyle::Critical,
                             Form1Texts::loadErrorTitle);
    return copied.ok;
}

} // namespace

void Form1::Command1_Click() {
    if (refusedWhileClientRuns(units_.client, units_.prompter))
        return;
    Selpath = units_.settings.readSetting(PalacePathSetting::application, PalacePathSetting::section,
                                          PalacePathSetting::key);
    const QString bag = BagPaths::bag(Apath, Selfile);
    if (DSR != 0) {
        copyBagOverLiveFile(units_.bags, units_.prompter, bag, BagPaths::liveFile(Selpath));
        return;
    }
    if (units_.prompter.showMessage(Form1Texts::loadQuestionText, MessageStyle::QuestionYesNo,
                                    Form1Texts::loadQuestionTitle) == Answer::Yes) {
        QString Sbox;
        Fsave(Sbox);
    }
    if (units_.prompter.showMessage(Form1Texts::finalLoadText(Selfile), MessageStyle::CriticalOkCancel,
                                    Form1Texts::finalLoadTitle) != Answer::Ok)
        return;
    if (copyBagOverLiveFile(units_.bags, units_.prompter, bag, BagPaths::liveFile(Selpath)))
        units_.prompter.showMessage(Form1Texts::loadDoneText(Selfile), MessageStyle::Notice,
                                    Form1Texts::loadDoneTitle);
}
