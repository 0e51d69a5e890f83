#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "app/mainwindow/Form1Texts.h"
#include "app/pathdialog/Form2.h"
#include "app/prompts/MessageStyle.h"
#include "app/prompts/Prompter.h"
#include "client/ClientDetector.h"
#include "client/ClientNames.h"
#include "client/ProgramStarter.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

void Form1::Form_Load() {
    // A store that cannot be read leaves Selpath empty, as on a first run: start-up says nothing.
    readSelpath();
    Apath = QFile::decodeName(services_.bags.directory());
    File1->refresh();
}

void Form1::Form_Click() {
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    menDelete->setEnabled(false);
    menRename->setEnabled(false);
    File1->refresh();
}

void Form1::File1_Click() {
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    menDelete->setEnabled(true);
    menRename->setEnabled(true);
    Selfile = File1->selectedBag();
}

void Form1::Command2_Click() {
    if (refusedWhileClientRuns())
        return;
    Command1->setEnabled(false);
    File1->setEnabled(false);
    QString Sbox;
    Fsave(Sbox);
    File1->setEnabled(true);
}

void Form1::Fsave(QString& Sbox) {
    if (!readSelpath()) {
        showPalaceFilesError();
        return;
    }
    Command2->setEnabled(false);
    Sbox = services_.prompter.askText(Form1Texts::namePrompt, Form1Texts::saveNameTitle,
                                      Form1Texts::defaultBagName);
    // A name that is not one file name is refused like any other failed copy: nothing is written.
    const StepResult saved =
        Sbox.isEmpty() ? StepResult()
        : !BagPaths::isSingleFileName(Sbox)
            ? StepResult::failure(StepResult::Kind::BadName, EINVAL, Form1Texts::notOneFileName)
            : services_.bags.save(BagPaths::liveFile(Selpath), BagName::typed(Sbox), askBeforeLoss_);
    // A folder that can no longer be listed after the copy fails the save as well.
    if (!inPlace(saved, Form1Texts::palaceFilesTitle) || !File1->refresh()) {
        if (!declined(saved))
            showPalaceFilesError();
        return;
    }
    Command2->setEnabled(true);
}

void Form1::Command1_Click() {
    if (refusedWhileClientRuns())
        return;
    if (const StepResult read = readSelpath(); !read) {
        services_.prompter.showMessage(
            Form1Texts::settingsReadErrorText(services_.settings.location(PalacePathSetting::application),
                                              read.reason),
            MessageStyle::Critical, Form1Texts::loadErrorTitle);
        return;
    }
    if (DSR != 0) {
        copyBagOverLiveFile();
        return;
    }
    if (services_.prompter.showMessage(Form1Texts::loadQuestionText, MessageStyle::QuestionYesNo,
                                       Form1Texts::loadQuestionTitle) == Answer::Yes) {
        QString Sbox;
        Fsave(Sbox);
    }
    if (services_.prompter.showMessage(Form1Texts::finalLoadText(Selfile.displayed()),
                                       MessageStyle::CriticalOkCancel,
                                       Form1Texts::finalLoadTitle) != Answer::Ok)
        return;
    if (copyBagOverLiveFile())
        services_.prompter.showMessage(Form1Texts::loadDoneText(Selfile.displayed()), MessageStyle::Notice,
                                       Form1Texts::loadDoneTitle);
}

void Form1::menDelete_Click() {
    QString Delbox;
    Delfile(Delbox);
}

void Form1::File1_KeyUp(qint16& KeyCode, [[maybe_unused]] qint16 Shift) {
    constexpr qint16 deleteKey = 46;
    if (menDelete->isEnabled() && KeyCode == deleteKey) {
        QString Delbox;
        Delfile(Delbox);
    }
}

void Form1::Delfile(QString& Delbox) {
    if (DSR == 0) {
        const int answer =
            services_.prompter.showMessage(Form1Texts::deleteText(Selfile.displayed()),
                                           MessageStyle::QuestionYesNoNo, Form1Texts::deleteTitle);
        Delbox = QString::number(answer);
        if (answer != Answer::Yes)
            return;
    }
    const StepResult deleted = services_.bags.remove(Selfile, askBeforeLoss_);
    if (!inPlace(deleted, Form1Texts::deleteErrorTitle)) {
        if (!declined(deleted))
            services_.prompter.showMessage(
                Form1Texts::deleteErrorText(displayedPath(Selfile), deleted.reason), MessageStyle::Critical,
                Form1Texts::deleteErrorTitle);
        return;
    }
    File1->refresh();
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    menDelete->setEnabled(false);
}

void Form1::menRename_Click() {
    QString rfile;
    RenFile(rfile);
}

void Form1::RenFile(QString& rfile) {
    rfile = services_.prompter.askText(Form1Texts::namePrompt, Form1Texts::renameTitle,
                                       Form1Texts::defaultBagName);
    if (rfile.isEmpty()) {
        services_.prompter.showMessage(Form1Texts::renameErrorText, MessageStyle::Critical,
                                       Form1Texts::renameErrorTitle);
    } else {
        const BagName newBag = BagName::typed(rfile);
        // A typed name that would leave the program directory fails like an unwritable one.
        const StepResult moved =
            !BagPaths::isSingleFileName(rfile)
                ? StepResult::failure(StepResult::Kind::BadName, EINVAL, Form1Texts::notOneFileName)
                : services_.bags.rename(Selfile, newBag, askBeforeLoss_);
        if (!inPlace(moved, Form1Texts::renameErrorTitle)) {
            if (!declined(moved))
                services_.prompter.showMessage(
                    Form1Texts::renameFailedText(displayedPath(Selfile), displayedPath(newBag), moved.reason),
                    MessageStyle::Critical, Form1Texts::renameErrorTitle);
            return;
        }
        if (newBag == Selfile)
            return;
    }
    File1->refresh();
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    menRename->setEnabled(false);
}

// Start Palace: no check whether the client already runs; a failed start sends the user to the path dialog.
void Form1::Command3_Click() {
    if (!readSelpath()) {
        showPalaceFilesError();
        return;
    }
    if (DSR == 0 && services_.prompter.showMessage(Form1Texts::startQuestionText, MessageStyle::PlainYesNoNo,
                                                   Form1Texts::startQuestionTitle) != Answer::Yes)
        return;
    if (!services_.starter.startProgram(ClientNames::programIn(Selpath), WindowStyle::NormalFocus))
        showPalaceFilesError();
}

void Form1::menExit_Click() {
    services_.endProgram();
}

void Form1::menPpal_Click() {
    Selpath.clear();
    if (!form2_)
        form2_ = std::make_unique<Form2>(services_.dialog, this);
    form2_->showDialog();
}

// One lamp is hidden before the other is shown, so the two are never lit together.
void Form1::menDSR_Click() {
    if (DSR != 0) {
        menDSR->setChecked(false);
        DSR = 0;
        Picture2->hide();
        Picture1->show();
        Label1->setText(Form1Texts::safetyOn);
    } else {
        menDSR->setChecked(true);
        DSR = 1;
        Picture1->hide();
        Picture2->show();
        Label1->setText(Form1Texts::safetyOff);
    }
}

void Form1::menuStx_Click() {
    services_.prompter.showMessage(Form1Texts::aboutText, MessageStyle::Notice, Form1Texts::aboutTitle);
}

// Selpath from the store, read afresh; a store that cannot be read leaves Selpath as it was.
StepResult Form1::readSelpath() {
    const StepValue<QString> stored = services_.settings.readSetting(
        PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key);
    if (stored.result)
        Selpath = stored.value;
    return stored.result;
}

// The live file of the directory stored right now, for the list's marks; Selpath is left as it is. With
// nothing stored no file is the live one.
StepValue<FilePlace> Form1::storedLiveFile() {
    const StepValue<QString> stored = services_.settings.readSetting(
        PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key);
    if (!stored)
        return {{}, stored.result};
    if (stored.value.isEmpty())
        return {{}, StepResult::fromErrno(ENOENT)};
    return {BagPaths::liveFile(stored.value), {}};
}

// The one message of the save and of the client start, whatever failed.
void Form1::showPalaceFilesError() {
    services_.prompter.showMessage(Form1Texts::palaceFilesText, MessageStyle::Critical,
                                   Form1Texts::palaceFilesTitle);
}

// Save and load keep away from the live props file while the client may be writing it.
// True when the client runs; the user has then been told why nothing happens. A detector that cannot tell
// lets the step go on, as when nothing runs.
bool Form1::refusedWhileClientRuns() {
    if (services_.client.isPalaceRunning().value.isEmpty())
        return false;
    services_.prompter.showMessage(Form1Texts::clientRunningText, MessageStyle::Critical,
                                   Form1Texts::clientRunningTitle);
    return true;
}

// Copies the selected bag over the live file; a failure is reported here and ends the load.
bool Form1::copyBagOverLiveFile() {
    const FilePlace liveFile = BagPaths::liveFile(Selpath);
    const StepResult copied = services_.bags.load(Selfile, liveFile, askBeforeLoss_);
    File1->markLoaded();
    const bool loaded = inPlace(copied, Form1Texts::loadErrorTitle);
    if (!loaded && !declined(copied))
        services_.prompter.showMessage(Form1Texts::loadErrorText(displayedPath(Selfile),
                                                                 BagPaths::displayed(liveFile.path()),
                                                                 copied.reason),
                                       MessageStyle::Critical, Form1Texts::loadErrorTitle);
    return loaded;
}

// A step about to destroy for good a file that no trash can take asks first, with nothing changed yet. The
// user is asked once, whatever the safety switch, as it is the last guard before a loss; No stops the step.
bool Form1::agreesToLose(const StepResult& stopped) {
    const QString name = BagPaths::displayed(stopped.file).section(QDir::separator(), -1);
    return services_.prompter.showMessage(Form1Texts::permanentDeleteText(name, stopped.reason),
                                          MessageStyle::WarningYesNoNo,
                                          Form1Texts::permanentDeleteTitle) == Answer::Yes;
}

QString Form1::displayedPath(const BagName& bag) const {
    return BagPaths::displayed(services_.bags.place(bag).path());
}

// A step done whose folder could not be synced after it is done all the same; the user is told that a power
// cut might still undo it.
bool Form1::inPlace(const StepResult& result, const QString& title) {
    if (result.is(StepResult::Kind::NotDurable))
        services_.prompter.showMessage(
            Form1Texts::notDurableText(BagPaths::displayed(result.file), result.reason),
            MessageStyle::Critical, title);
    return result.ok() || result.is(StepResult::Kind::NotDurable);
}

// The user declined to lose a file: that answer was the last word, and nothing changed to report.
bool Form1::declined(const StepResult& result) {
    return result.is(StepResult::Kind::NotTrashable);
}
