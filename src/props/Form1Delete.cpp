#include "app/BagList.h"
#include "app/Form1.h"
#include "app/Form1Texts.h"
#include "app/Prompter.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"

#include <QAction>
#include <QPushButton>

void Form1::Delfile(QString& Delbox) {
    if (DSR == 0) {
        const int answer = units_.prompter.showMessage(
            Form1Texts::deleteText(Selfile), MessageStyle::QuestionYesNoNo, Form1Texts::deleteTitle);
        Delbox = QString::number(answer);
        if (answer != Answer::Yes)
            return;
    }
    const QString bag = BagPaths::bag(Apath, Selfile);
    if (const FileResult deleted = units_.bags.deleteFile(bag); !deleted) {
        units_.prompter.showMessage(Form1Texts::deleteErrorText(bag, deleted.reason), MessageStyle::Critical,
                                    Form1Texts::deleteErrorTitle);
        return;
    }
    File1->refresh();
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    menDelete->setEnabled(false);
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
