#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"
#include "app/pathdialog/Form2.h"
#include "app/pathdialog/Form2Texts.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/prompts/MessageStyle.h"
#include "app/prompts/Prompter.h"
#include "settings/PalaceDirectory.h"
#include "settings/SettingsStore.h"

#include <QLineEdit>

void Form2::Form_Load() {
    Text1->clear();
    Dir1->startAt(services_.start.directory());
    Drive1->startAt(Dir1->path());
    Dir1->setFocus();
}

void Form2::Dir1_Change() {
    Selpath = Dir1->path();
    Text1->setText(Selpath);
}

void Form2::Drive1_Change() {
    if (!Dir1->setPath(Drive1->drive().directory))
        services_.prompter.showMessage(Form2Texts::diskErrorText, MessageStyle::Critical,
                                       Form2Texts::diskErrorTitle);
}

void Form2::Command1_Click() {
    if (Selpath.isEmpty()) {
        services_.prompter.showMessage(Form2Texts::emptyPathText, MessageStyle::Critical,
                                       Form2Texts::emptyPathTitle);
        return;
    }
    const QString chosen = Selpath;
    Selpath = PalaceDirectory::settingFor(Selpath);
    if (!Spath()) {
        Selpath = chosen;
        return;
    }
    close();
}

void Form2::Command2_Click() {
    close();
}

bool Form2::Spath() {
    using namespace PalacePathSetting;
    if (const StepResult saved = services_.settings.saveSetting(application, section, key, Selpath); !saved) {
        // Nothing was stored: say where and why, and let the user try again or cancel.
        services_.prompter.showMessage(
            Form2Texts::storeErrorText(services_.settings.location(application), saved.reason),
            MessageStyle::Critical, Form2Texts::storeErrorTitle);
        return false;
    }
    if (const StepValue<QString> stored = services_.settings.readSetting(application, section, key);
        stored.result)
        Selpath = stored.value;
    return true;
}
