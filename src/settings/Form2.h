#pragma once

#include "settings/Form2Units.h"

#include <QString>
#include <QWidget>

class DirList;
class DriveList;
class QLineEdit;
class QPushButton;

// The path dialog: modeless, without an owner; one object for the whole run. Its window is closed and
// shown again, its Selpath lasts.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(Form2Units units, QWidget* parent = nullptr);

    QString Selpath; // the directory last reported by the directory list, or the value last stored

    // Controls, in tab order.
    DirList* Dir1 = nullptr;
    QLineEdit* Text1 = nullptr;
    DriveList* Drive1 = nullptr;
    QPushButton* Command1 = nullptr; // Ok
    QPushButton* Command2 = nullptr; // Cancel

    // Shows the dialog without waiting for it: afresh when it is closed, or brought to the front
    // untouched when it is open.
    void showDialog();

    // Handlers and the method that stores.
    void Form_Load();
    void Dir1_Change();
    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();
    bool Spath();

private:
    Form2Units units_;
};
