#include "app/Form1.h"

#include "app/Form1Texts.h"
#include "app/Prompter.h"
#include "client/ProgramStarter.h"
#include "props/BagPaths.h"
#include "settings/SettingsStore.h"

// Start Palace: no check whether the client already runs; a failed start sends the user to the path dialog.
void Form1::Command3_Click() {
    Selpath = units_.settings.readSetting(PalacePathSetting::application, PalacePathSetting::section,
                                          PalacePathSetting::key);
    if (DSR == 0 && units_.prompter.showMessage(Form1Texts::startQuestionText, MessageStyle::PlainYesNoNo,
                                                Form1Texts::startQuestionTitle) != Answer::Yes)
        return;
    if (!units_.starter.startProgram(BagPaths::clientProgram(Selpath), WindowStyle::NormalFocus))
        units_.prompter.showMessage(Form1Texts::palaceFilesText, MessageStyle::Critical,
                                    Form1Texts::palaceFilesTitle);
}
